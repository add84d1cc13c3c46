#pragma once

#include <functional>
#include <utility>

// A subscription token: the subscription lives as long as the token does.
class Cancellable
{
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    Cancellable(Cancellable &&other) noexcept : m_cancel(std::exchange(other.m_cancel, {})) {}
    Cancellable &operator=(Cancellable &&other) noexcept;
    Cancellable(const Cancellable &) = delete;
    Cancellable &operator=(const Cancellable &) = delete;
    ~Cancellable() { cancel(); }

    void cancel();

private:
    std::function<void()> m_cancel;
};
