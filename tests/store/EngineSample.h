#pragma once

#include "store/SignatureFileFormat.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignatureStatusUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/TestHome.h"
#include "tests/store/GrantedServices.h"

#include <QDirIterator>
#include <QMap>

// The sample home and an engine on it, granted access at start.
struct EngineSample
{
    explicit EngineSample(bool granted = true) : home(), engine(make(granted)) {}
    std::unique_ptr<SignaturesEngine> make(bool granted)
    {
        return std::make_unique<SignaturesEngine>(std::make_unique<GrantedServices>(granted, &monitors));
    }
    const QList<SignatureModel> &list() const { return engine->uiModel()->signatures().get(); }
    void select(int row) { engine->selectionUiModel()->signature().set(list().at(row)); }
    std::optional<AppleSignatureContent> shown() const
    {
        return engine->renderedUiModel()->signature().get();
    }
    std::optional<QString> message() const { return engine->statusUiModel()->message().get(); }
    QByteArray composed(const QString &html) const
    {
        return *SignatureFileFormat::compose(shown()->header, html);
    }
    // Every file of the home outside Mail's signatures folder, with its bytes.
    QMap<QString, QByteArray> outside() const
    {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(home.path(), QDir::Files | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            if (!path.startsWith(home.signatures()))
                files.insert(path, TestHome::read(path));
        }
        return files;
    }

    int monitors = 0;
    TestHome home;
    std::unique_ptr<SignaturesEngine> engine;
};
