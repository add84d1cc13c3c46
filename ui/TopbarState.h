#pragma once

#include <QString>

#include <optional>

// What the preview pane's top bar shows, as a function of the four values it
// reads. Kept apart from the widgets so the whole table can be checked alone.
struct TopbarState
{
    enum class Action
    {
        Authorize,
        Insert
    };

    bool messageVisible = false;
    // What the message slot says while visible.
    QString message;
    Action action = Action::Authorize;
    bool buttonEnabled = true;

    QString buttonTitle() const;

    // status: what became of the last action that did not succeed, if anything.
    static TopbarState compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent,
                               const std::optional<QString> &status = std::nullopt);

    static QString messageText();
    static QString insertTitle();
    static QString authorizeTitle();

    friend bool operator==(const TopbarState &, const TopbarState &) = default;
};
