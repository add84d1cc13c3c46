#pragma once

#include "base/Cancellable.h"

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// An observable value. Every set is announced, equal value or not: first each
// subscriber receives the new value, in the order they subscribed (the old one
// is still what get() returns), then the value is stored, then the owner's
// announce callback runs so views redraw from the stored value. A new
// subscriber receives the current value at once. Subscriptions end when their
// Cancellable goes.
template <typename T> class Published
{
public:
    using Handler = std::function<void(const T &)>;

    explicit Published(T initial, std::function<void()> announce = {})
        : m_value(std::move(initial)), m_announce(std::move(announce)),
          m_subscribers(std::make_shared<Subscribers>())
    {
    }
    Published(const Published &) = delete;
    Published &operator=(const Published &) = delete;

    const T &get() const { return m_value; }

    void set(T value)
    {
        // A handler may subscribe or cancel while values are delivered; walk a
        // snapshot and skip those cancelled meanwhile.
        std::vector<std::pair<int, std::shared_ptr<Handler>>> snapshot(m_subscribers->begin(),
                                                                       m_subscribers->end());
        for (const auto &[key, handler] : snapshot) {
            if (m_subscribers->count(key))
                (*handler)(value);
        }
        m_value = std::move(value);
        if (m_announce)
            m_announce();
    }

    [[nodiscard]] Cancellable sink(Handler handler)
    {
        const int key = m_nextKey++;
        auto shared = std::make_shared<Handler>(std::move(handler));
        m_subscribers->emplace(key, shared);
        (*shared)(m_value);
        std::weak_ptr<Subscribers> weak = m_subscribers;
        return Cancellable([weak, key] {
            if (auto subscribers = weak.lock())
                subscribers->erase(key);
        });
    }

private:
    using Subscribers = std::map<int, std::shared_ptr<Handler>>;
    T m_value;
    std::function<void()> m_announce;
    std::shared_ptr<Subscribers> m_subscribers;
    int m_nextKey = 0;
};
