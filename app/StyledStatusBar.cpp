#include "app/StyledStatusBar.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "platform/gdi/Colors.h"
#include "resources/Strings.h"

namespace {

constexpr int kMargin = 2;
constexpr int kGap = 2;
constexpr int kTextPadding = 4;
constexpr int kGripLines = 17;

QColor SysColor(int index)
{
    gdi::ColorRef color = gdi::GetSysColor(index);
    return QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color));
}

// A one-pixel frame: `topLeft` on the top and left edges, `bottomRight` on the others.
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

Qt::Alignment AlignmentOf(uint32_t style)
{
    Qt::Alignment alignment = Qt::AlignLeft;
    if (style & DT_CENTER)
        alignment = Qt::AlignHCenter;
    else if (style & DT_RIGHT)
        alignment = Qt::AlignRight;
    if (style & DT_VCENTER)
        return alignment | Qt::AlignVCenter;
    if (style & DT_BOTTOM)
        return alignment | Qt::AlignBottom;
    return alignment | Qt::AlignTop;
}

}  // namespace

CStyledStatusBar::CStyledStatusBar(QWidget* owner) : QStatusBar(owner), owner_(owner)
{
    setSizeGripEnabled(false);
    setMouseTracking(true);
    connect(this, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (!panes_.empty())
            SetPaneText(0, message.isEmpty() ? idleMessage_ : message);
    });
}

CStyledStatusBar::~CStyledStatusBar() = default;

bool CStyledStatusBar::CreateBar(QWidget* owner, const int* ids, int count, uint32_t firstPaneStyle)
{
    owner_ = owner;
    if (!SetIndicators(ids, count)) {
        QMessageBox::warning(owner, QString(), QStringLiteral("Unable to create Statusbar."));
        return false;
    }
    if (count > 0)
        SetPaneStyle(0, firstPaneStyle);
    return true;
}

bool CStyledStatusBar::SetIndicators(const int* ids, int count)
{
    for (int i = 0; i < count; ++i)
        if (ids[i] != 0 && !HasString(ids[i]))
            return false;
    panes_.clear();
    records_.clear();
    for (int i = 0; i < count; ++i) {
        panes_.push_back({ids[i], 0, QString()});
        records_.push_back(std::make_unique<CStatusPaneInfo>());
    }
    updateGeometry();
    update();
    return true;
}

int CStyledStatusBar::CommandToIndex(int id) const
{
    for (size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void CStyledStatusBar::SetPaneStyle(int index, uint32_t style)
{
    panes_.at(static_cast<size_t>(index)).style = style;
    update();
}

void CStyledStatusBar::SetPaneText(int index, const QString& text)
{
    Pane& pane = panes_.at(static_cast<size_t>(index));
    if (pane.text == text)
        return;
    pane.text = text;
    update(GetItemRect(index));
}

void CStyledStatusBar::SetIdleMessage(const QString& text)
{
    idleMessage_ = text;
    if (!panes_.empty() && currentMessage().isEmpty())
        SetPaneText(0, text);
}

void CStyledStatusBar::SavePane(int index)
{
    saved_.insert_or_assign(index, GetPaneInfo(index));
}

void CStyledStatusBar::RestorePane(int index)
{
    auto saved = saved_.find(index);
    if (saved != saved_.end()) {
        GetPaneInfo(index) = saved->second;
        saved_.erase(saved);
    }
    update();
}

int CStyledStatusBar::IndicatorWidth(int index) const
{
    const Pane& pane = panes_[static_cast<size_t>(index)];
    QFontMetrics metrics(records_[static_cast<size_t>(index)]->font);
    return metrics.horizontalAdvance(LoadString(pane.id)) + 2 * kTextPadding;
}

QRect CStyledStatusBar::GripRect() const
{
    int side = height();
    return QRect(width() - side, 0, side, side);
}

bool CStyledStatusBar::ShowsGrip() const
{
    return owner_ == nullptr || !owner_->isMaximized();
}

QRect CStyledStatusBar::GetItemRect(int index) const
{
    // Indicators line up from the right, before the grip; a stretched pane takes the rest.
    int right = width() - (ShowsGrip() ? height() : kMargin);
    for (int i = GetPaneCount() - 1; i >= 0; --i) {
        bool stretch = (panes_[static_cast<size_t>(i)].style & SBPS_STRETCH) != 0;
        int left = stretch ? kMargin : right - IndicatorWidth(i);
        if (i == index)
            return QRect(QPoint(std::max(kMargin, left), kMargin), QPoint(right - 1, height() - kMargin - 1));
        right = left - kGap;
    }
    return QRect();
}

QSize CStyledStatusBar::sizeHint() const
{
    int textHeight = QFontMetrics(font()).height();
    for (const auto& record : records_)
        textHeight = std::max(textHeight, QFontMetrics(record->font).height());
    return QSize(QStatusBar::sizeHint().width(), textHeight + 2 * kMargin + 4);
}

QSize CStyledStatusBar::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void CStyledStatusBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), SysColor(gdi::COLOR_BTNFACE));
    for (int i = 0; i < GetPaneCount(); ++i)
        PaintPane(painter, i);
    if (ShowsGrip())
        PaintGrip(painter);
}

void CStyledStatusBar::PaintPane(QPainter& painter, int index)
{
    QRect pane = GetItemRect(index);
    uint32_t style = GetPaneStyle(index);
    QColor highlight = SysColor(gdi::COLOR_BTNHIGHLIGHT);
    QColor shadow = SysColor(gdi::COLOR_BTNSHADOW);
    if (style & SBPS_POPOUT)
        Draw3dRect(painter, pane, highlight, shadow);
    else if (!(style & SBPS_NOBORDERS))
        Draw3dRect(painter, pane, shadow, highlight);

    int state = (style & SBPS_DISABLED) ? 0 : 1;
    CStatusPaneInfo& record = GetPaneInfo(index);
    QRect inner = pane.adjusted(1, 1, -1, -1);
    painter.fillRect(inner, record.backColor[state]);
    painter.save();
    painter.setClipRect(inner);
    if (record.Kind() == kPaneKindText)
        PaintText(painter, inner, index, state);
    else if (record.Kind() == kPaneKindProgress && record.Control() != nullptr)
        record.Control()->setGeometry(pane);
    painter.restore();
}

void CStyledStatusBar::PaintText(QPainter& painter, const QRect& rect, int index, int state)
{
    const CStatusPaneInfo& record = GetPaneInfo(index);
    QString text = record.text[state].isEmpty() ? GetPaneText(index) : record.text[state];
    if (text.isEmpty())
        return;
    painter.setFont(record.font);
    painter.setPen(record.textColor[state]);
    painter.drawText(rect.adjusted(kTextPadding - 1, 0, 0, 0), AlignmentOf(record.style) | Qt::TextSingleLine, text);
}

// Diagonal lines from the corner: highlight, gap, shadow, shadow, repeated.
void CStyledStatusBar::PaintGrip(QPainter& painter) const
{
    int w = width();
    int h = height();
    QColor highlight = SysColor(gdi::COLOR_BTNHIGHLIGHT);
    QColor shadow = SysColor(gdi::COLOR_BTNSHADOW);
    for (int i = 1; i <= kGripLines; ++i) {
        int phase = i % 4;
        if (phase == 2)
            continue;
        painter.setPen(phase == 1 ? highlight : shadow);
        painter.drawLine(w - i, h, w, h - i);
    }
}

void CStyledStatusBar::ForwardToOwner(QMouseEvent* event)
{
    if (owner_ == nullptr)
        return;
    // The owner learns where on the bar the mouse is, in the bar's own coordinates.
    QMouseEvent copy(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                     event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(owner_, &copy);
}

void CStyledStatusBar::mousePressEvent(QMouseEvent* event)
{
    ForwardToOwner(event);
    if (event->button() == Qt::LeftButton && ShowsGrip() && GripRect().contains(event->position().toPoint()) &&
        window()->windowHandle() != nullptr) {
        window()->windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        return;
    }
    QStatusBar::mousePressEvent(event);
    event->accept();  // the owner has had it already
}

void CStyledStatusBar::mouseReleaseEvent(QMouseEvent* event)
{
    ForwardToOwner(event);
    QStatusBar::mouseReleaseEvent(event);
    event->accept();  // the owner has had it already
}

void CStyledStatusBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    ForwardToOwner(event);
    QStatusBar::mouseDoubleClickEvent(event);
    event->accept();  // the owner has had it already
}

void CStyledStatusBar::mouseMoveEvent(QMouseEvent* event)
{
    ForwardToOwner(event);
    QStatusBar::mouseMoveEvent(event);
    event->accept();  // the owner has had it already
}
