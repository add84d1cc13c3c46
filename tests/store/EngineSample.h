#pragma once

#include "store/EngineServices.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "tests/common/TestHome.h"

#include <QDirIterator>
#include <QMap>

// The sample home and an engine on it. Access is granted at start, or asked
// for and answered by the test; the folder monitor is a marker named after
// its folder (watching is the access layer's, tested there).
struct EngineSample
{
    struct Services : EngineServices
    {
        Services(bool granted, int *monitors) : granted(granted), monitors(monitors) {}
        std::optional<QString> restoreFolderAccess() override
        {
            return granted ? std::optional(QDir::homePath()) : std::nullopt;
        }
        void requestFolderAccess(std::function<void(bool)> completion) override
        {
            answer = std::move(completion);
        }
        std::unique_ptr<QObject> startFolderMonitor(const QString &folder, SignaturesEngine *) override
        {
            ++*monitors;
            auto marker = std::make_unique<QObject>();
            marker->setObjectName(folder);
            return marker;
        }
        bool granted;
        int *monitors;
        std::function<void(bool)> answer;
    };

    explicit EngineSample(bool granted = true) : engine(make(granted)) {}
    std::unique_ptr<SignaturesEngine> make(bool granted)
    {
        return std::make_unique<SignaturesEngine>(std::make_unique<Services>(granted, &monitors));
    }
    Services &services() const { return static_cast<Services &>(engine->services()); }
    bool authorized() const { return engine->accessAuthorize()->isAuthorized().get(); }
    const QList<SignatureModel> &list() const { return engine->uiModel()->signatures().get(); }
    void select(int row) { engine->selectionUiModel()->signature().set(list().at(row)); }
    std::optional<AppleSignatureContent> shown() const
    {
        return engine->renderedUiModel()->signature().get();
    }
    std::optional<QString> message() const { return engine->statusUiModel()->message().get(); }
    bool insert(const QString &html) { return engine->insertSignature(html); }
    QByteArray composed(const QString &html) const
    {
        return *SignatureFileFormat::compose(shown()->header, html);
    }
    int files() const
    {
        return int(QDir(home.signatures()).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
    }

    int monitors = 0;
    TestHome home;
    std::unique_ptr<SignaturesEngine> engine;
};
