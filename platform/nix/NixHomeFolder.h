#pragma once

#include "platform/HomeFolder.h"

// $HOME, so that a program started with HOME pointed at another folder (the
// demo, the tests) works there.
class NixHomeFolder : public HomeFolder
{
public:
    QString path() const override;
};
