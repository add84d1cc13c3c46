#include "ui/WindowEnvironment.h"

#include "access/MailMonitor.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignaturesEngine.h"
#include "store/SignaturesEngineAccessAuthorize.h"
#include "ui/TopbarState.h"

WindowEnvironment WindowEnvironment::of(SignaturesEngine &engine, MailMonitor &mailMonitor)
{
    return WindowEnvironment{engine,
                             *engine.uiModel(),
                             *engine.selectionUiModel(),
                             *engine.renderedUiModel(),
                             *engine.accessAuthorize(),
                             mailMonitor};
}

TopbarState WindowEnvironment::topbarState() const
{
    // The selection keeps the record it was made with; whether it was replaced is the last load's word.
    const std::optional<SignatureModel> listed = engine.selectedAsListed();
    return TopbarState::compute(authorize.isAuthorized().get(), mailMonitor.isMainRunning().get(),
                                rendered.signature().get().has_value(),
                                listed && listed->isReplacedSinceInsert);
}
