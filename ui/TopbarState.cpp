#include "ui/TopbarState.h"

std::optional<QString> TopbarState::message(bool isMailRunning, const std::optional<QString> &status)
{
    // The answer to the user's last action comes first, until the next
    // selection or success clears it; then Mail's running.
    if (status)
        return status;
    if (isMailRunning)
        return messageText();
    return std::nullopt;
}

TopbarState TopbarState::compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent,
                                 bool isReplaced)
{
    TopbarState state;
    if (isAuthorized) {
        state.action = Action::Insert;
        // Mail rewrites signature files it finds changed while it runs.
        state.buttonEnabled = hasPreviewedContent && !isMailRunning;
        // Putting back is a write like an insert: not while Mail runs.
        state.putBackVisible = isReplaced;
        state.putBackEnabled = isReplaced && !isMailRunning;
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

QString TopbarState::putBackTitle()
{
    return QStringLiteral("Put Back");
}
