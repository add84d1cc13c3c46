#pragma once

#include "preview/PreviewModule.h"

#include <QObject>

// The preview module's entry point, which the program loads as a plugin: it
// makes the framed web view, which the script bridge then talks to.
class PreviewWebModule : public QObject, public PreviewModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PreviewModule_iid)
    Q_INTERFACES(PreviewModule)
public:
    explicit PreviewWebModule(QObject *parent = nullptr);

    PreviewSurface *createPreview(QWidget *parent, std::function<void()> ready,
                                  std::function<void(const QUrl &)> refused) override;
};
