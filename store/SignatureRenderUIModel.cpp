#include "store/SignatureRenderUIModel.h"

SignatureRenderUIModel::SignatureRenderUIModel(QObject *parent)
    : QObject(parent), m_signature(std::nullopt, [this] { emit changed(); })
{
}
