#pragma once

#include <QString>

// The home folder of the user running the program: the one whose Library
// holds Mail's data.
class HomeFolder
{
public:
    virtual ~HomeFolder() = default;

    virtual QString path() const = 0;
};
