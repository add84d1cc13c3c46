#include "store/SignaturesEngine.h"

#include "base/Diagnostics.h"
#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/EngineServices.h"
#include "store/KeptVersions.h"
#include "store/MailFolders.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListReader.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngineAccessAuthorize.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

SignaturesEngine::SignaturesEngine(std::unique_ptr<EngineServices> services, QObject *parent)
    : QObject(parent), m_uiModel(std::make_unique<SignatureListUIModel>()),
      m_renderedUiModel(std::make_unique<SignatureRenderUIModel>()),
      m_selectionUiModel(std::make_unique<SignatureSelectionUIModel>()),
      m_accessAuthorize(std::make_unique<SignaturesEngineAccessAuthorize>()),
      m_statusUiModel(std::make_unique<SignatureStatusUIModel>()), m_services(std::move(services))
{
    observeSelection();
    if (m_services->restoreFolderAccess()) {
        accessGranted();
        return;
    }
    requestFolderAccess();
}

SignaturesEngine::~SignaturesEngine() = default;

void SignaturesEngine::observeSelection()
{
    QPointer<SignaturesEngine> weak(this);
    m_cancellables.push_back(
        m_selectionUiModel->signature().sink([weak](const std::optional<SignatureModel> &signature) {
            if (!weak)
                return;
            // A new look at a signature starts without the last insert's news.
            if (signature) {
                weak->m_recovered.clear();
                weak->clearMessage(signature);
            }
            weak->loadSignatureContent(signature);
        }));
}

void SignaturesEngine::accessGranted()
{
    if (!m_accessAuthorize->isAuthorized().get())
        m_accessAuthorize->isAuthorized().set(true);
    // A write a killed run left unlocked is finished, once Mail's folder opens, before anything is shown.
    m_recovered += SignatureService::recoverInterruptedWrites();
    startFolderMonitor();
    loadSignatures();
}

void SignaturesEngine::requestFolderAccess()
{
    // The chooser outlives this call; the engine may be gone when it answers.
    QPointer<SignaturesEngine> weak(this);
    m_services->requestFolderAccess([weak](bool granted) {
        if (granted && weak)
            weak->accessGranted();
    });
}

void SignaturesEngine::startFolderMonitor()
{
    // One monitor per store, for as long as the engine lives; a store that
    // appears later gets its own at the next grant or load.
    // Only the folders are found here, the lists are not read: the load that
    // follows every grant reads them.
    QStringList folders;
    if (const std::optional<QString> iCloud = MailFolders::findICloudSignatures().folder)
        folders.append(*iCloud);
    if (const std::optional<QString> local = signaturesFolderURL())
        folders.append(*local);
    for (const QString &folder : folders) {
        if (m_watchedFolders.contains(folder))
            continue;
        m_watchedFolders.append(folder);
        m_folderMonitors.push_back(m_services->startFolderMonitor(folder, this));
    }
}

void SignaturesEngine::loadSignatures()
{
    m_listing = SignatureService::load();
    m_uiModel->signatures().set(m_listing.signatures());
    if (!m_folderMonitors.empty()) {
        for (const SignatureStore &store : m_listing.stores()) {
            if (!m_watchedFolders.contains(store.folder)) {
                startFolderMonitor();
                break;
            }
        }
    }
    clearMessage();
}

void SignaturesEngine::loadSignatureContent(const std::optional<SignatureModel> &signature)
{
    if (!signature)
        return;
    const std::optional<SignatureService::Entry> entry = m_listing.entry(signature->id);
    const SignatureService::Reading reading =
        entry ? SignatureService::read(*entry) : SignatureService::Reading{};
    if (!reading.bytes) {
        Diagnostics::print(QStringLiteral("ERROR"));
        // The preview stays, but it is no longer this file's to insert into.
        m_previewSourceId.reset();
        return;
    }
    m_previewSourceId = signature->id;
    m_previewFault = reading.fault;
    m_renderedUiModel->signature().set(reading.content.value_or(AppleSignatureContent{}));
}

std::optional<SignatureService::Entry> SignaturesEngine::selectedEntry() const
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    return selected ? SignatureService::load().entry(selected->id) : std::nullopt;
}

std::optional<SignatureModel> SignaturesEngine::selectedAsListed() const
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    const std::optional<SignatureService::Entry> entry =
        selected ? m_listing.entry(selected->id) : std::nullopt;
    return entry ? std::optional(entry->signature) : std::nullopt;
}

bool SignaturesEngine::insertSignature(const QString &html, const QList<SignatureImage> &images)
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    const std::optional<AppleSignatureContent> previewed = m_renderedUiModel->signature().get();
    if (!selected || !previewed)
        return false;
    if (html.trimmed().isEmpty())
        return refuse(*selected,
                      QStringLiteral("The clipboard holds only white space, so nothing was inserted."));
    if (m_previewSourceId != selected->id) {
        Diagnostics::print(
            QStringLiteral("Insert refused: the preview was read from another signature's file."));
        return refuse(*selected,
                      QStringLiteral("The signature's file could not be read, so it was left as it is."));
    }
    if (m_previewFault) {
        // Writing the empty header of a file that did not split would destroy its own.
        Diagnostics::print(QStringLiteral("Insert refused: ") + *m_previewFault);
        return refuse(*selected, *m_previewFault);
    }
    const std::optional<SignatureService::Entry> entry = selectedEntry();
    if (!entry)
        return refuse(*selected, QStringLiteral("The signature's file could not be found."));
    const SignatureService::Outcome outcome = SignatureService::insert(*entry, html, true, images);
    if (outcome.unchanged && !outcome.failure)
        return refuse(*selected,
                      SignatureService::unchangedSentence(selected->name, !entry->signature.isFileLocked)),
               true;
    if (!tell(*selected, outcome))
        return false;
    rememberUndo(*selected, QStringLiteral("Insert into \"%1\""));
    emit inserted(selected->id, html);
    return true;
}

bool SignaturesEngine::restoreKeptVersion(const QString &versionFile)
{
    if (!restoreVersion(versionFile))
        return false;
    rememberUndo(*m_selectionUiModel->signature().get(), QStringLiteral("Restore of \"%1\""));
    return true;
}

bool SignaturesEngine::restoreVersion(const QString &versionFile)
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    if (!selected)
        return false;
    const std::optional<SignatureService::Entry> entry = selectedEntry();
    if (!entry)
        return refuse(*selected, QStringLiteral("The signature's file could not be found."));
    for (const KeptVersions::Version &version : SignatureService::versions(*entry)) {
        if (version.file == versionFile)
            return tell(*selected, SignatureService::restore(*entry, version));
    }
    return refuse(*selected, QStringLiteral("That version could not be read, so nothing was changed."));
}

void SignaturesEngine::rememberUndo(const SignatureModel &selected, const QString &what)
{
    // Taken now: a later change from outside must not move what Undo writes back.
    const std::optional<SignatureService::Entry> entry = m_listing.entry(selected.id);
    const std::optional<KeptVersions::Version> before =
        entry ? SignatureService::previousVersion(*entry) : std::nullopt;
    if (before)
        m_undo.insert(selected.id, {what.arg(selected.name), before->file});
    else
        m_undo.remove(selected.id);
    emit undoChanged();
}

std::optional<QString> SignaturesEngine::selectedUndoName() const
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    if (!selected || !m_undo.contains(selected->id))
        return std::nullopt;
    return m_undo.value(selected->id).what;
}

bool SignaturesEngine::undoSelected()
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    if (!selected || !m_undo.contains(selected->id))
        return false;
    if (!restoreVersion(m_undo.value(selected->id).versionFile))
        return false;
    m_undo.remove(selected->id);
    emit undoChanged();
    return true;
}

bool SignaturesEngine::createSignature(const QString &name, const QString &html)
{
    SignatureService::Created created;
    const std::optional<SignatureService::Failure> failure =
        html.trimmed().isEmpty() ? std::optional(SignatureService::Failure{
                                       SignatureService::Failure::Kind::Failed,
                                       QStringLiteral("The clipboard holds only white space, so "
                                                      "nothing was made.")})
                                 : SignatureService::load().create(name, html, {}, &created);
    loadSignatures();
    if (failure) {
        m_statusUiModel->message().set(failure->message);
        return false;
    }
    if (const std::optional<SignatureService::Entry> entry = m_listing.entry(created.id))
        m_selectionUiModel->signature().set(entry->signature);
    return true;
}

bool SignaturesEngine::putBackSelected()
{
    const std::optional<SignatureModel> selected = m_selectionUiModel->signature().get();
    const std::optional<SignatureService::Entry> entry = selectedEntry();
    if (!selected || !entry)
        return false;
    return tell(*selected, SignatureService::putBack(*entry));
}

bool SignaturesEngine::tell(const SignatureModel &selected, const SignatureService::Outcome &outcome)
{
    if (outcome.written)
        loadSignatures();
    if (outcome.failure)
        return refuse(selected, *outcome.failure);
    clearMessage();
    if (outcome.notice)
        m_statusUiModel->message().set(*outcome.notice);
    // What is previewed, and what a later insert takes the header from, is
    // what the file now holds.
    loadSignatureContent(selected);
    return true;
}

std::optional<QString> SignaturesEngine::restingMessage(const std::optional<SignatureModel> &selected) const
{
    // Told until the first selection.
    if (!m_recovered.isEmpty() && !selected)
        return m_recovered.join(u' ');
    const std::optional<SignatureService::Entry> listed =
        selected ? m_listing.entry(selected->id) : std::nullopt;
    if (listed && listed->signature.isReplacedSinceInsert)
        return SignatureService::replacedSentence(listed->signature.name);
    if (!m_listing.problems().isEmpty()) {
        const SignatureService::Failure &problem = m_listing.problems().first();
        // Where the system guards Mail's folders, one switch opens both stores.
        if (problem.denied && Platform::fullDiskAccessSettings())
            return problem.message + QStringLiteral(" Give the program Full Disk Access in System Settings "
                                                    "to read it.");
        return problem.message;
    }
    return std::nullopt;
}

void SignaturesEngine::clearMessage()
{
    clearMessage(m_selectionUiModel->signature().get());
}

void SignaturesEngine::clearMessage(const std::optional<SignatureModel> &selected)
{
    // Only a change is set: each set is announced.
    const std::optional<QString> resting = restingMessage(selected);
    if (m_statusUiModel->message().get() != resting)
        m_statusUiModel->message().set(resting);
}

bool SignaturesEngine::refuse(const SignatureModel &selected, const QString &message)
{
    m_statusUiModel->message().set(message);
    // The preview goes back to what the file now holds.
    loadSignatureContent(selected);
    return false;
}

void SignaturesEngine::unlockSignature(const QString &id)
{
    const std::optional<SignatureService::Entry> entry = SignatureService::load().entry(id);
    // A row whose file has vanished has nothing to unlock; the reload shows it as it is.
    if (entry && !entry->file().isEmpty() && QFileInfo::exists(entry->file())) {
        if (const std::optional<QString> failure = SignatureService::unlock(*entry)) {
            loadSignatures();
            m_statusUiModel->message().set(*failure);
            return;
        }
    }
    loadSignatures();
}

QList<KeptVersions::Version> SignaturesEngine::selectedKeptVersions() const
{
    const std::optional<SignatureService::Entry> entry = selectedEntry();
    return entry ? SignatureService::versions(*entry) : QList<KeptVersions::Version>();
}

bool SignaturesEngine::selectedHasKeptVersions() const
{
    return !selectedKeptVersions().isEmpty();
}

std::optional<AppleSignatureContent> SignaturesEngine::keptVersionContent(const QString &versionFile)
{
    const std::optional<QByteArray> bytes = KeptVersions::read(versionFile);
    return bytes ? SignatureFileFormat::parse(*bytes) : std::nullopt;
}

std::optional<QByteArray> SignaturesEngine::keptVersionStart(const QString &versionFile, qint64 size)
{
    return RegularFile::readStart(versionFile, size);
}

QString SignaturesEngine::mailFolderURL()
{
    return MailFolders::mailFolder();
}

std::optional<QString> SignaturesEngine::findMailVersionFolder()
{
    return MailFolders::findVersionFolder();
}

std::optional<QString> SignaturesEngine::signaturesFolderURL()
{
    return MailFolders::signaturesFolder();
}

std::optional<QString> SignaturesEngine::allSignaturesListURL()
{
    const std::optional<QString> folder = signaturesFolderURL();
    if (!folder)
        return std::nullopt;
    return MailFolders::fileIn(*folder, QStringLiteral("AllSignatures.plist"));
}

std::optional<QString> SignaturesEngine::signatureFileURL(const QString &id)
{
    return MailFolders::signatureFile(id);
}

std::optional<QString> SignaturesEngine::signatureFileIn(const QString &signaturesFolder, const QString &id)
{
    return MailFolders::signatureFileIn(signaturesFolder, id);
}

std::optional<QList<SignatureModel>> SignaturesEngine::readSignatureList(const QString &listFile)
{
    return SignatureListReader::read(listFile);
}

bool SignaturesEngine::isFileImmutable(const QString &file)
{
    return Platform::fileFlags().isImmutable(file);
}

bool SignaturesEngine::setFileLocked(const QString &file, bool locked)
{
    return Platform::fileFlags().setImmutable(file, locked);
}
