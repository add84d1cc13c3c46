#pragma once

#include "preview/PreviewModule.h"

#include <QObject>

// The preview module's entry point, which the program loads as a plugin: it
// makes the framed web view and passes scripts to its bridge.
class PreviewWebModule : public QObject, public PreviewModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PreviewModule_iid)
    Q_INTERFACES(PreviewModule)
public:
    explicit PreviewWebModule(QObject *parent = nullptr);

    QWidget *createPreview(QWidget *parent, std::function<void()> shown) override;
    void runJavascript(QWidget *preview, const QString &script) override;
};
