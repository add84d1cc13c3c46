#include "ui/render/SignatureRender.h"

#include "notes/DarkScheme.h"
#include "preview/ControlWebviewModel.h"
#include "ui/render/FieldsSheet.h"
#include "ui/render/SignatureRenderAppearanceLine.h"
#include "ui/render/SignatureRenderLine.h"
#include "ui/render/SignatureRenderNotes.h"
#include "ui/render/SignatureRenderTopbar.h"
#include "ui/render/SignatureRenderTopbarInsertButton.h"
#include "ui/render/SignatureRenderWebView.h"

#include <QVBoxLayout>

SignatureRender::SignatureRender(const WindowEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_engine(environment.engine), m_mailMonitor(environment.mailMonitor),
      m_javascriptModel(std::make_unique<ControlWebviewModel>(environment.rendered, &DarkScheme::isDeclared)),
      m_topbar(new SignatureRenderTopbar(environment, *m_javascriptModel, this)),
      m_appearanceLine(new SignatureRenderAppearanceLine(*m_javascriptModel, this)),
      m_notes(new SignatureRenderNotes(environment.engine, this)),
      m_webView(new SignatureRenderWebView(environment, *m_javascriptModel, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_topbar);
    // One line under the bar, its place kept: the notes at the leading edge,
    // under the Light / Dark control which dark is shown.
    layout->addWidget(new SignatureRenderLine(m_notes, m_appearanceLine, this));
    layout->addWidget(m_webView, 1);

    connect(m_topbar->button(), &SignatureRenderTopbarInsertButton::fieldsAsked, this,
            &SignatureRender::askForFields);
    connect(m_webView, &SignatureRenderWebView::fieldsAsked, this, &SignatureRender::askForFields);
    connect(m_notes, &SignatureRenderNotes::embedImagesAsked, this,
            [this] { SignatureActions::embedImages(m_engine, m_mailMonitor); });
}

void SignatureRender::askForFields(const SignatureActions::Template &templateHtml)
{
    auto *sheet = new FieldsSheet(m_engine, m_mailMonitor, templateHtml, window());
    sheet->placeAtFootOf(m_webView);
    sheet->open();
}

SignatureRender::~SignatureRender()
{
    // These children refer to the bridge: they go first.
    delete m_topbar;
    delete m_appearanceLine;
    delete m_webView;
}
