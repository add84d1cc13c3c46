#pragma once

#include <QString>

#include <optional>

// What the preview pane's top bar shows, as a function of the values it
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
    // Put Back: offered only where there is something of ours to put back.
    bool putBackVisible = false;
    bool putBackEnabled = false;

    QString buttonTitle() const;

    // status: what became of the last action that did not succeed, if anything.
    // isReplaced: the selected signature, as last listed, no longer holds what was inserted.
    static TopbarState compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent,
                               const std::optional<QString> &status = std::nullopt, bool isReplaced = false);

    static QString messageText();
    static QString insertTitle();
    static QString authorizeTitle();
    static QString putBackTitle();

    friend bool operator==(const TopbarState &, const TopbarState &) = default;
};
