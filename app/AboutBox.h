#pragma once

#include <QDialog>

// The About box: the application icon, the version line and the copyright line.
class CAboutBox : public QDialog {
public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
