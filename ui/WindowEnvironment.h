#pragma once

class MailMonitor;
class SignaturesEngine;
class SignatureListUIModel;
class SignatureSelectionUIModel;
class SignatureRenderUIModel;
class SignaturesEngineAccessAuthorize;
struct TopbarState;

// The objects the root view hands to every pane: the engine, its four
// published models and the Mail monitor. References, because a pane without
// them cannot exist.
struct WindowEnvironment
{
    SignaturesEngine &engine;
    SignatureListUIModel &list;
    SignatureSelectionUIModel &selection;
    SignatureRenderUIModel &rendered;
    SignaturesEngineAccessAuthorize &authorize;
    MailMonitor &mailMonitor;

    static WindowEnvironment of(SignaturesEngine &engine, MailMonitor &mailMonitor);

    // What the top bar offers as the published values stand now.
    TopbarState topbarState() const;
};
