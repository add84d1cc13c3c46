#include "base/Diagnostics.h"

#include <cstdio>

namespace {
bool silenced = false;
}

namespace Diagnostics {

void silence()
{
    silenced = true;
}

void print(const QString &line)
{
    if (silenced)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace Diagnostics
