#pragma once

class SignaturesEngine;
class SignatureListUIModel;
class SignatureSelectionUIModel;
class SignatureRenderUIModel;
class SignaturesEngineAccessAuthorize;

// The five objects the root view hands to every pane: the engine and its four
// published models. References, because a pane without them cannot exist.
struct WindowEnvironment
{
    SignaturesEngine &engine;
    SignatureListUIModel &list;
    SignatureSelectionUIModel &selection;
    SignatureRenderUIModel &rendered;
    SignaturesEngineAccessAuthorize &authorize;

    static WindowEnvironment of(SignaturesEngine &engine);
};
