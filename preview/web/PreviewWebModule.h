#pragma once

#include "preview/PreviewModule.h"

#include <QObject>

// The preview module's entry point, which the program loads as a plugin: it
// makes the framed web view and shows signatures in it.
class PreviewWebModule : public QObject, public PreviewModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PreviewModule_iid)
    Q_INTERFACES(PreviewModule)
public:
    explicit PreviewWebModule(QObject *parent = nullptr);

    QWidget *createPreview(QWidget *parent, std::function<void()> ready,
                           std::function<void(const QUrl &)> refused) override;
    void showSignature(QWidget *preview, const QString &html, PreviewPage::Appearance appearance) override;
    void setAppearance(QWidget *preview, PreviewPage::Appearance appearance) override;
};
