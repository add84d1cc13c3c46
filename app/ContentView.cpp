#include "app/ContentView.h"

#include "access/MailMonitor.h"
#include "access/PasteModel.h"
#include "store/EngineServices.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "ui/SignatureActions.h"
#include "ui/WindowEnvironment.h"
#include "ui/list/NewSignatureActions.h"
#include "ui/list/NewSignatureSheet.h"
#include "ui/list/SignatureListView.h"
#include "ui/render/SignatureRender.h"
#include "ui/restore/KeptVersionDialog.h"

#include <QDir>
#include <QFileDialog>

#include <QHBoxLayout>
#include <QStyle>

namespace {
int defaultPadding(const QStyle *style, QStyle::PixelMetric metric, const QWidget *widget)
{
    const int value = style->pixelMetric(metric, nullptr, widget);
    return value >= 0 ? value : 0;
}
} // namespace

ContentView::ContentView(std::unique_ptr<EngineServices> services, QWidget *parent)
    : QWidget(parent), m_model(std::make_unique<SignaturesEngine>(std::move(services))),
      m_mailMonitor(std::make_unique<MailMonitor>())
{
    const WindowEnvironment environment = WindowEnvironment::of(*m_model, *m_mailMonitor);
    m_listPane = new SignatureListView(environment, this);
    m_previewPane = new SignatureRender(environment, this);

    m_listPane->setFixedWidth(listPaneWidth);

    // The list column carries the default padding on its trailing edge only.
    auto *listColumn = new QHBoxLayout;
    const int trailing = defaultPadding(style(),
                                        layoutDirection() == Qt::RightToLeft ? QStyle::PM_LayoutLeftMargin
                                                                             : QStyle::PM_LayoutRightMargin,
                                        this);
    listColumn->setContentsMargins(0, 0, 0, 0);
    listColumn->addWidget(m_listPane);
    listColumn->addSpacing(trailing);

    auto *layout = new QHBoxLayout(this);
    // Default margins and spacing come from the style.
    layout->addLayout(listColumn);
    layout->addWidget(m_previewPane, 1);

    connect(m_listPane, &SignatureListView::restoreRequested, this, &ContentView::restorePreviousVersion);
    connect(m_listPane, &SignatureListView::fieldsAsked, m_previewPane, &SignatureRender::askForFields);
}

bool ContentView::canRestorePreviousVersion() const
{
    return m_model->selectedHasKeptVersions();
}

void ContentView::restorePreviousVersion()
{
    if (!canRestorePreviousVersion())
        return;
    auto *dialog = new KeptVersionDialog(*m_model, *m_mailMonitor, this);
    // Over the list, which has no use while choosing: the preview beside it
    // shows each version as it is chosen.
    dialog->placeOver(m_listPane, m_previewPane);
    dialog->open();
}

void ContentView::newSignatureFromClipboard()
{
    PasteModel paste;
    const std::optional<QString> html = NewSignatureActions::htmlToCreate(paste, *m_model, *m_mailMonitor);
    if (!html)
        return;
    (new NewSignatureSheet(*m_model, *m_mailMonitor, *html, window()))->open();
}

QString ContentView::insertFromFileText()
{
    return QStringLiteral("Insert Signature from File\u2026");
}

void ContentView::insertFromFile()
{
    auto *chooser = new QFileDialog(window(), QStringLiteral("Insert Signature from File"), QDir::homePath(),
                                    QStringLiteral("HTML files (*.html *.htm)"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setObjectName(QStringLiteral("InsertFromFileChooser"));
    connect(chooser, &QFileDialog::fileSelected, this, [this](const QString &path) {
        if (const std::optional<SignatureActions::Template> templateHtml =
                SignatureActions::insertFromFile(path, *m_model, *m_mailMonitor))
            m_previewPane->askForFields(*templateHtml);
    });
    chooser->open();
}

ContentView::~ContentView()
{
    // The panes hold references into the engine and the monitor: they go before them.
    delete m_listPane;
    delete m_previewPane;
}
