#pragma once

#include <QString>

// What the preview pane's top bar shows, as a function of the three values it
// reads. Kept apart from the widgets so the whole table can be checked alone.
struct TopbarState
{
    enum class Action { Authorize, Insert };

    bool messageVisible = false;
    Action action = Action::Authorize;
    bool buttonEnabled = true;

    QString buttonTitle() const;

    static TopbarState compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent);

    static QString messageText();
    static QString insertTitle();
    static QString authorizeTitle();

    friend bool operator==(const TopbarState &, const TopbarState &) = default;
};
