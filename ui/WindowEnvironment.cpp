#include "ui/WindowEnvironment.h"

#include "store/SignaturesEngine.h"

WindowEnvironment WindowEnvironment::of(SignaturesEngine &engine)
{
    return WindowEnvironment{engine, *engine.uiModel(), *engine.selectionUiModel(), *engine.renderedUiModel(),
                             *engine.accessAuthorize()};
}
