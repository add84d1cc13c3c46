#include "base/Cancellable.h"

#include <utility>

Cancellable &Cancellable::operator=(Cancellable &&other) noexcept
{
    if (this != &other) {
        cancel();
        m_cancel = std::exchange(other.m_cancel, {});
    }
    return *this;
}

void Cancellable::cancel()
{
    if (auto cancel = std::exchange(m_cancel, {}))
        cancel();
}
