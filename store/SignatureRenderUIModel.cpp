#include "store/SignatureRenderUIModel.h"

#include "store/SignatureFileFormat.h"

SignatureRenderUIModel::SignatureRenderUIModel(QObject *parent)
    : PublishedModel(std::nullopt, parent), m_shownInstead(std::nullopt),
      m_decoding(signature().sink([this](const std::optional<AppleSignatureContent> &content) {
          m_html = content ? bodyOf(*content) : QString();
      }))
{
}

QString SignatureRenderUIModel::bodyOf(const AppleSignatureContent &content)
{
    return SignatureFileFormat::decodedBody(content).value_or(content.htmlContent);
}
