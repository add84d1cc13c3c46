#pragma once

#include <QWidget>

#include <memory>

class EngineServices;
class MailMonitor;
class SignaturesEngine;
class SignatureListView;
class SignatureRender;

// The window's root: owns the one engine for as long as the window lives and
// lays out the list pane (250 wide, then a trailing padding) beside the
// preview pane, which takes the rest.
class ContentView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int listPaneWidth = 250;

    explicit ContentView(std::unique_ptr<EngineServices> services, QWidget *parent = nullptr);
    ~ContentView() override;

    SignaturesEngine &engine() const { return *m_model; }
    MailMonitor &mailMonitor() const { return *m_mailMonitor; }

    // Whether the selected signature has kept versions to go back to.
    bool canRestorePreviousVersion() const;
    // Opens the dialog that lists them; nothing when there are none.
    void restorePreviousVersion();
    // Reads the clipboard, then asks in a sheet over the window for the name
    // of the signature to make of it; nothing is asked while Mail runs.
    void newSignatureFromClipboard();
    // Opens a chooser of HTML files; the one chosen is inserted into the
    // selected signature as the clipboard's HTML would be.
    void insertFromFile();
    static QString insertFromFileText();
    SignatureListView *listPane() const { return m_listPane; }
    SignatureRender *previewPane() const { return m_previewPane; }

private:
    std::unique_ptr<SignaturesEngine> m_model;
    // Both panes refuse writes while Mail runs; its check starts with the window.
    std::unique_ptr<MailMonitor> m_mailMonitor;
    SignatureListView *m_listPane;
    SignatureRender *m_previewPane;
};
