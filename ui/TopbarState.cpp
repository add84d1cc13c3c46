#include "ui/TopbarState.h"

TopbarState TopbarState::compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent,
                                 const std::optional<QString> &status)
{
    TopbarState state;
    // Mail running is why the button is off right now, so it is said first.
    state.messageVisible = isMailRunning || status.has_value();
    state.message = isMailRunning ? messageText() : status.value_or(QString());
    if (isAuthorized) {
        state.action = Action::Insert;
        // Mail rewrites signature files it finds changed while it runs.
        state.buttonEnabled = hasPreviewedContent && !isMailRunning;
    } else {
        // Asking for access is harmless whether Mail runs or not.
        state.action = Action::Authorize;
        state.buttonEnabled = true;
    }
    return state;
}

QString TopbarState::buttonTitle() const
{
    return action == Action::Insert ? insertTitle() : authorizeTitle();
}

QString TopbarState::messageText()
{
    return QStringLiteral("Mail must be closed before inserting a signature");
}

QString TopbarState::insertTitle()
{
    return QStringLiteral("Insert Signature from Clipboard");
}

QString TopbarState::authorizeTitle()
{
    return QStringLiteral("Authorize Access to Mail Signature folder");
}
