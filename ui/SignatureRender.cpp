#include "ui/SignatureRender.h"

#include "notes/DarkScheme.h"
#include "preview/ControlWebviewModel.h"
#include "ui/SignatureRenderAppearanceLine.h"
#include "ui/SignatureRenderNotes.h"
#include "ui/SignatureRenderTopbar.h"
#include "ui/SignatureRenderWebView.h"

#include <QVBoxLayout>

SignatureRender::SignatureRender(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_javascriptModel(std::make_unique<ControlWebviewModel>(&DarkScheme::isDeclared)),
      m_topbar(new SignatureRenderTopbar(environment, *m_javascriptModel, this)),
      m_appearanceLine(new SignatureRenderAppearanceLine(*m_javascriptModel, this)),
      m_notes(new SignatureRenderNotes(environment.engine, this)),
      m_webView(new SignatureRenderWebView(environment, *m_javascriptModel, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_topbar);
    layout->addWidget(m_appearanceLine);
    layout->addWidget(m_notes, 0, Qt::AlignLeading);
    layout->addWidget(m_webView, 1);
}

SignatureRender::~SignatureRender()
{
    // These children refer to the bridge: they go first.
    delete m_topbar;
    delete m_appearanceLine;
    delete m_webView;
}
