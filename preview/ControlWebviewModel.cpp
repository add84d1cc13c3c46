#include "preview/ControlWebviewModel.h"

#include "store/Diagnostics.h"
#include "store/SignatureFileFormat.h"

ControlWebviewModel::ControlWebviewModel()
{
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::update(const QString &html)
{
    m_latest = html;
    if (m_target)
        m_target(html);
}

void ControlWebviewModel::update(const AppleSignatureContent &content)
{
    // A body that cannot be decoded is shown as the file holds it.
    update(SignatureFileFormat::decodedBody(content).value_or(content.htmlContent));
}

void ControlWebviewModel::attach(Target target)
{
    m_target = std::move(target);
    if (m_target && m_latest)
        m_target(*m_latest);
}
