#include "store/SignatureRenderUIModel.h"

SignatureRenderUIModel::SignatureRenderUIModel(QObject *parent)
    : PublishedModel(std::nullopt, parent), m_shownInstead(std::nullopt),
      m_decoding(signature().sink([this](const std::optional<AppleSignatureContent> &content) {
          m_body = content ? bodyOf(*content) : SignatureFileFormat::Body{};
      }))
{
}

SignatureFileFormat::Body SignatureRenderUIModel::bodyOf(const AppleSignatureContent &content)
{
    return SignatureFileFormat::body(content).value_or(SignatureFileFormat::Body{content.htmlContent, {}});
}
