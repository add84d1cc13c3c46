#pragma once

#include "platform/HomeFolder.h"

// The home folder recorded for the user in the password database. Under App
// Sandbox $HOME and NSHomeDirectory() name the app's container instead.
class MacHomeFolder : public HomeFolder
{
public:
    QString path() const override;
};
