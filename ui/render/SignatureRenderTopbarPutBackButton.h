#pragma once

#include "ui/WindowEnvironment.h"

#include <QPushButton>

// "Put Back", beside the insert button: shown while the selected signature's
// file no longer holds what was inserted there (Mail or another Mac replaced
// it), enabled while Mail is closed.
class SignatureRenderTopbarPutBackButton : public QPushButton
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbarPutBackButton(const WindowEnvironment &environment,
                                                QWidget *parent = nullptr);

private:
    void refresh();
    void trigger();

    WindowEnvironment m_environment;
};
