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

    Action action = Action::Authorize;
    bool buttonEnabled = true;
    // Put Back: offered only where there is something of ours to put back.
    bool putBackVisible = false;
    bool putBackEnabled = false;

    QString buttonTitle() const;

    // isReplaced: the selected signature, as last listed, no longer holds what was inserted.
    static TopbarState compute(bool isAuthorized, bool isMailRunning, bool hasPreviewedContent,
                               bool isReplaced);
    // What the message slot says, if anything. status: what became of the
    // last action that did not succeed, if anything.
    static std::optional<QString> message(bool isMailRunning, const std::optional<QString> &status);

    static QString messageText();
    static QString insertTitle();
    static QString authorizeTitle();
    static QString putBackTitle();

    friend bool operator==(const TopbarState &, const TopbarState &) = default;
};
