#pragma once

#include "base/Cancellable.h"
#include "store/AppleSignatureContent.h"
#include "store/KeptVersions.h"
#include "store/SignatureModel.h"
#include "store/SignatureService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class EngineServices;
class SignatureListUIModel;
class SignatureRenderUIModel;
class SignatureSelectionUIModel;
class SignatureStatusUIModel;
class SignaturesEngineAccessAuthorize;

// Owns the published state of the signature store and carries its operations.
// Everything runs on the main thread; nothing here blocks on the user.
class SignaturesEngine : public QObject
{
    Q_OBJECT
public:
    // Subscribes to the selection, then restores folder access or asks for it.
    explicit SignaturesEngine(std::unique_ptr<EngineServices> services, QObject *parent = nullptr);
    ~SignaturesEngine() override;

    SignatureListUIModel *uiModel() const { return m_uiModel.get(); }
    SignatureRenderUIModel *renderedUiModel() const { return m_renderedUiModel.get(); }
    SignatureSelectionUIModel *selectionUiModel() const { return m_selectionUiModel.get(); }
    SignaturesEngineAccessAuthorize *accessAuthorize() const { return m_accessAuthorize.get(); }
    SignatureStatusUIModel *statusUiModel() const { return m_statusUiModel.get(); }
    // The monitor of the first store watched (the iCloud one when there is one).
    QObject *folderMonitor() const
    {
        return m_folderMonitors.empty() ? nullptr : m_folderMonitors.front().get();
    }
    // Every folder a monitor watches: each store's, once.
    const QStringList &watchedFolders() const { return m_watchedFolders; }

    void accessGranted();
    // Opens the folder chooser; a confirmed choice runs accessGranted, if the
    // engine still exists then.
    void requestFolderAccess();
    void startFolderMonitor();
    void loadSignatures();
    void loadSignatureContent(const std::optional<SignatureModel> &signature);
    // Writes html into the selected signature's file and locks it; true when
    // both happened. Text that is empty or only white space writes nothing.
    // Each refusal or failure leaves the file's lock as it was found and says
    // what happened in the status model; in every case the previewed content
    // is then the file as it now is.
    // HTML the signature already holds writes nothing and says so. images:
    // those html names by cid: that become parts of the file; the file's own
    // parts that html no longer names are left out, and the top bar says so.
    bool insertSignature(const QString &html, const QList<SignatureImage> &images = {});
    // Writes a kept version's bytes back into the selected signature's file,
    // the same way as an insert, and previews the result; true when done.
    bool restoreKeptVersion(const QString &versionFile);
    // The confirmed unlock of a row: keep the file as a version, clear its
    // flag, then reload in any case. Without a kept version it stays locked.
    // A failure is said in the status model.
    void unlockSignature(const QString &id);
    // Makes a new signature named name holding html in every store and
    // selects it; true when done. A refusal is said in the status model.
    bool createSignature(const QString &name, const QString &html);
    // What Undo would take back in the selected signature: the last insert
    // or restore of this run ("Insert into "Work"", "Restore of "Work""); none
    // when there is nothing to undo.
    std::optional<QString> selectedUndoName() const;
    // Writes back the version kept before that change, as a restore does;
    // true when done. Undone, it cannot be undone again.
    bool undoSelected();
    // Writes back what was inserted into the selected signature, where Mail
    // or another Mac replaced it since; true when done.
    bool putBackSelected();
    // The selected signature as the last load found it (the selection keeps
    // the record it was made with).
    std::optional<SignatureModel> selectedAsListed() const;

    // The kept versions of the selected signature, newest first; none
    // without a selection.
    QList<KeptVersions::Version> selectedKeptVersions() const;
    bool selectedHasKeptVersions() const;
    // What a kept version holds; none when it cannot be read or split.
    static std::optional<AppleSignatureContent> keptVersionContent(const QString &versionFile);
    // The first size bytes of a kept version, for naming it in a list.
    static std::optional<QByteArray> keptVersionStart(const QString &versionFile, qint64 size);

    // Locations, computed afresh from the file system on every call.
    static QString mailFolderURL();
    static std::optional<QString> findMailVersionFolder();
    static std::optional<QString> signaturesFolderURL();
    static std::optional<QString> allSignaturesListURL();
    // None when there is no signatures folder, when id could name something
    // outside it ("/", NUL, "." or ".."), or when the file is a symbolic link.
    static std::optional<QString> signatureFileURL(const QString &id);
    static std::optional<QString> signatureFileIn(const QString &signaturesFolder, const QString &id);
    static std::optional<QList<SignatureModel>> readSignatureList(const QString &listFile);

    static bool isFileImmutable(const QString &file);
    static bool setFileLocked(const QString &file, bool locked);

signals:
    // An insert wrote html into the signature's file and locked it.
    void inserted(const QString &id, const QString &html);
    // What Undo would take back may have changed.
    void undoChanged();

private:
    void observeSelection();
    // Every replacement of a signature file (SignatureWriter::replace), then
    // the list reloaded when the file changed and the outcome told.
    // The selected signature's entry as the stores hold it now.
    std::optional<SignatureService::Entry> selectedEntry() const;
    // The list reloaded when a file changed, the outcome told and the
    // preview renewed; true when everything asked for was done.
    bool tell(const SignatureModel &selected, const SignatureService::Outcome &outcome);
    bool refuse(const SignatureModel &selected, const QString &message);
    // After a change of the selected signature: the version that undoes it.
    void rememberUndo(const SignatureModel &selected, const QString &what);
    bool restoreVersion(const QString &versionFile);
    // Back to what the top bar says when no action has news: a store that
    // cannot be read, or the selected signature replaced since its insert.
    // selected: the selection about to be stored, when a new one is being set.
    void clearMessage(const std::optional<SignatureModel> &selected);
    void clearMessage();
    std::optional<QString> restingMessage(const std::optional<SignatureModel> &selected) const;

    std::unique_ptr<SignatureListUIModel> m_uiModel;
    std::unique_ptr<SignatureRenderUIModel> m_renderedUiModel;
    std::unique_ptr<SignatureSelectionUIModel> m_selectionUiModel;
    std::unique_ptr<SignaturesEngineAccessAuthorize> m_accessAuthorize;
    std::unique_ptr<SignatureStatusUIModel> m_statusUiModel;
    std::vector<std::unique_ptr<QObject>> m_folderMonitors;
    QStringList m_watchedFolders;
    // What the last load found: the stores, their problems, each signature's copies.
    SignatureService m_listing;
    // What finishing interrupted writes found at start, for the user.
    QList<QString> m_recovered;
    std::unique_ptr<EngineServices> m_services;
    // The signature the previewed content was read from, and what is wrong
    // with that file when it is not a real split of UTF-8 text (the content
    // is then empty, and writing its header would destroy the file's own).
    std::optional<QString> m_previewSourceId;
    struct Undo
    {
        QString what;
        QString versionFile;
    };
    // Per signature id: the last insert or restore of this run, and what undoes it.
    QHash<QString, Undo> m_undo;
    std::optional<QString> m_previewFault;
    std::vector<Cancellable> m_cancellables;
};
