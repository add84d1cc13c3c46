#include "store/SignatureModel.h"

#include <QHash>

bool canonicallyEqual(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

bool operator==(const SignatureModel &a, const SignatureModel &b)
{
    return a.isFileLocked == b.isFileLocked && a.isRich == b.isRich && a.isInICloud == b.isInICloud &&
           a.isReplacedSinceInsert == b.isReplacedSinceInsert && a.accounts == b.accounts &&
           a.chosenFor == b.chosenFor && canonicallyEqual(a.id, b.id) && canonicallyEqual(a.name, b.name);
}

size_t qHash(const SignatureModel &signature, size_t seed)
{
    // Hash the normalised texts so canonically equal records hash equally.
    return qHashMulti(seed, signature.id.normalized(QString::NormalizationForm_D),
                      signature.name.normalized(QString::NormalizationForm_D),
                      static_cast<unsigned char>(signature.isFileLocked ? 1 : 0),
                      static_cast<unsigned char>(signature.isRich ? (*signature.isRich ? 2 : 1) : 0),
                      static_cast<unsigned char>((signature.isInICloud ? 1 : 0) |
                                                 (signature.isReplacedSinceInsert ? 2 : 0)));
}
