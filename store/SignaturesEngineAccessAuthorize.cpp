#include "store/SignaturesEngineAccessAuthorize.h"

SignaturesEngineAccessAuthorize::SignaturesEngineAccessAuthorize(QObject *parent)
    : QObject(parent), m_isAuthorized(false, [this] { emit changed(); })
{
}
