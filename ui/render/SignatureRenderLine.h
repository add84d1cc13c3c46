#pragma once

#include <QWidget>

// The line under the top bar: one part at its leading edge (the notes), one
// at its trailing edge (which dark is shown), each at its own size and
// centred in the line's height, which is that of the taller part and never
// changes. What the parts say, and whether they show, changes from one
// signature to the next; the line places them itself, so that such a change
// moves nothing else and lays out nothing beyond it.
class SignatureRenderLine : public QWidget
{
public:
    SignatureRenderLine(QWidget *leading, QWidget *trailing, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();
    int spacing() const;

    QWidget *m_leading;
    QWidget *m_trailing;
};
