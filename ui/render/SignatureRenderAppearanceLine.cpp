#include "ui/render/SignatureRenderAppearanceLine.h"

#include "preview/ControlWebviewModel.h"

SignatureRenderAppearanceLine::SignatureRenderAppearanceLine(ControlWebviewModel &javascriptModel,
                                                             QWidget *parent)
    : QLabel(parent), m_javascriptModel(javascriptModel)
{
    setTextFormat(Qt::PlainText);
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
    // Short enough to share its line with the notes.
    switch (appearance) {
    case PreviewPage::Appearance::Light:
        break;
    case PreviewPage::Appearance::Dark:
        return QStringLiteral("The signature's own dark colours, as Mail shows them.");
    case PreviewPage::Appearance::Inverted:
        return QStringLiteral("Colours inverted: the signature has no dark colours.");
    }
    return QString();
}

QString SignatureRenderAppearanceLine::explanation(PreviewPage::Appearance appearance)
{
    switch (appearance) {
    case PreviewPage::Appearance::Light:
        break;
    case PreviewPage::Appearance::Dark:
        return QStringLiteral(
            "The signature declares dark colours, so Mail in dark mode shows it with its own "
            "dark rules.");
    case PreviewPage::Appearance::Inverted:
        return QStringLiteral("The signature declares no dark colours: many recipients' mail programs then "
                              "invert its colours and leave its images as they are.");
    }
    return QString();
}

void SignatureRenderAppearanceLine::refresh()
{
    setText(sentence(m_javascriptModel.appearance()));
    setToolTip(explanation(m_javascriptModel.appearance()));
    setVisible(!text().isEmpty());
}
