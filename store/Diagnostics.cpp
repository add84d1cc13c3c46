#include "store/Diagnostics.h"

#include <cstdio>

namespace Diagnostics {

void print(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace Diagnostics
