#include "app/AboutBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "resources/Icons.h"

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QStringLiteral("Kiro Version 1.0"), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Copyright (C) 2026 The Lumo developers"), this), 1, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
}
