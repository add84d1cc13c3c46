#include "preview/ControlWebviewModel.h"

#include "preview/UpdateScript.h"
#include "store/Diagnostics.h"

ControlWebviewModel::ControlWebviewModel()
{
    Diagnostics::print(QStringLiteral("INIT WEBVIEWMODEL"));
}

void ControlWebviewModel::update(const QString &html)
{
    runJavascript(UpdateScript::build(html));
}

void ControlWebviewModel::runJavascript(const QString &script)
{
    m_lastJavascriptToRun = script;
    if (m_target)
        m_target(script);
}

void ControlWebviewModel::attach(Target target)
{
    m_target = std::move(target);
    if (m_target && m_lastJavascriptToRun)
        m_target(*m_lastJavascriptToRun);
}
