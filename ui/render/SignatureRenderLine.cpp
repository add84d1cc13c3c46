#include "ui/render/SignatureRenderLine.h"

#include <QEvent>
#include <QStyle>

SignatureRenderLine::SignatureRenderLine(QWidget *leading, QWidget *trailing, QWidget *parent)
    : QWidget(parent), m_leading(leading), m_trailing(trailing)
{
    m_leading->setParent(this);
    m_trailing->setParent(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SignatureRenderLine::sizeHint() const
{
    // Whatever the parts say: the pane's layout never has a reason to change.
    return {0, std::max(m_leading->sizeHint().height(), m_trailing->sizeHint().height())};
}

QSize SignatureRenderLine::minimumSizeHint() const
{
    return sizeHint();
}

bool SignatureRenderLine::event(QEvent *event)
{
    // A part's size hint changed, or it was shown or hidden: the line has no
    // layout, so Qt tells the line alone.
    if (event->type() == QEvent::LayoutRequest)
        place();
    return QWidget::event(event);
}

void SignatureRenderLine::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

void SignatureRenderLine::place()
{
    const QSize trailing = m_trailing->sizeHint().boundedTo(size());
    const QRect trailingRect(width() - trailing.width(), (height() - trailing.height()) / 2, trailing.width(),
                             trailing.height());
    // The leading part gives way where both would not fit.
    const int room = !m_trailing->isHidden() ? trailingRect.left() - spacing() : width();
    const QSize leading = m_leading->sizeHint().boundedTo(QSize(std::max(0, room), height()));
    const QRect leadingRect(0, (height() - leading.height()) / 2, leading.width(), leading.height());
    m_leading->setGeometry(QStyle::visualRect(layoutDirection(), rect(), leadingRect));
    m_trailing->setGeometry(QStyle::visualRect(layoutDirection(), rect(), trailingRect));
}

int SignatureRenderLine::spacing() const
{
    const int metric = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this);
    return metric >= 0 ? metric : 6;
}
