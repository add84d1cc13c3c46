#pragma once

#include "base/Published.h"
#include "base/PublishedModelBase.h"

#include <utility>

// A published model object with one published property: every set of it
// announces changed(), equal value or not. Subclasses give the property its
// name.
template <typename T> class PublishedModel : public PublishedModelBase
{
public:
    explicit PublishedModel(T initial, QObject *parent = nullptr)
        : PublishedModelBase(parent), m_value(std::move(initial), [this] { emit changed(); })
    {
    }

protected:
    Published<T> &value() { return m_value; }
    const Published<T> &value() const { return m_value; }

private:
    Published<T> m_value;
};
