#include "ui/SignatureRenderAppearanceLine.h"

#include "preview/ControlWebviewModel.h"

SignatureRenderAppearanceLine::SignatureRenderAppearanceLine(ControlWebviewModel &javascriptModel,
                                                             QWidget *parent)
    : QLabel(parent), m_javascriptModel(javascriptModel)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignTrailing | Qt::AlignVCenter);
    // Hidden, it keeps its place: switching never resizes the preview, which would lay it out again.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    connect(&m_javascriptModel, &ControlWebviewModel::appearanceChanged, this,
            &SignatureRenderAppearanceLine::refresh);
    refresh();
}

QString SignatureRenderAppearanceLine::sentence(PreviewPage::Appearance appearance)
{
    switch (appearance) {
    case PreviewPage::Appearance::Light:
        break;
    case PreviewPage::Appearance::Dark:
        return QStringLiteral("Shown with the signature's own dark colours, as Mail shows it in dark mode.");
    case PreviewPage::Appearance::Inverted:
        return QStringLiteral("Shown with colours inverted, as many mail programs do for a signature "
                              "without dark colours.");
    }
    return QString();
}

void SignatureRenderAppearanceLine::refresh()
{
    setText(sentence(m_javascriptModel.appearance()));
    setVisible(!text().isEmpty());
}
