#include "store/CopyWriter.h"

#include "platform/FileFlags.h"
#include "platform/Platform.h"
#include "platform/RegularFile.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureLimits.h"
#include "store/SignatureWriter.h"

#include <QFileInfo>

#include <algorithm>

namespace {

using Copy = SignatureService::Copy;
using Entry = SignatureService::Entry;
using Outcome = SignatureService::Outcome;
using Reading = SignatureService::Reading;

SignatureWriter::Target targetOf(const SignatureService::Entry &entry, const SignatureService::Copy &copy)
{
    return {entry.signature.id, entry.signature.name, copy.store};
}

// Names the copy a sentence is about, when there is more than one.
QString aboutCopy(const SignatureService::Entry &entry, const SignatureService::Copy &copy,
                  const QString &sentence)
{
    if (entry.copies.size() < 2)
        return sentence;
    QString copyName = SignatureStore::copyName(copy.store.kind);
    copyName[0] = copyName[0].toUpper();
    return copyName + QStringLiteral(": ") + sentence;
}

struct Plan
{
    SignatureService::Copy copy;
    QByteArray bytes;
};

// Writes each plan's bytes into its copy, each kept as an inserted version
// before it is written, so a later replacement is seen; on the first copy
// that cannot be written, puts back the ones already written, locked as they
// were, and takes back what they recorded as inserted.
SignatureService::Outcome writeAll(const SignatureService::Entry &entry, const QList<Plan> &plans, bool lock)
{
    struct Written
    {
        const Plan *plan;
        QByteArray old;
        bool wasLocked;
        QString inserted;
    };
    QList<Written> written;
    QList<QString> warnings;
    const FileFlags &flags = Platform::fileFlags();
    for (const Plan &plan : plans) {
        const SignatureService::Copy &copy = plan.copy;
        const std::optional<QByteArray> old = RegularFile::read(copy.file, SignatureLimits::maximumFileSize);
        const bool wasLocked = flags.isImmutable(copy.file);
        const SignatureWriter::Outcome outcome =
            SignatureWriter::replace(targetOf(entry, copy), plan.bytes, lock, true);
        if (!outcome.written) {
            QString failure = aboutCopy(entry, copy, outcome.failure.value_or(QString()));
            bool putBack = true;
            for (auto done = written.crbegin(); done != written.crend(); ++done) {
                const SignatureWriter::Outcome undone = SignatureWriter::replace(
                    targetOf(entry, done->plan->copy), done->old, done->wasLocked, false);
                if (undone.written)
                    KeptVersions::discard(done->inserted);
                putBack = putBack && undone.written && !undone.failure;
            }
            if (!written.isEmpty())
                failure +=
                    putBack ? QStringLiteral(" The other copy was put back as it was.")
                            : QStringLiteral(" The other copy could not be put back: its versions are kept.");
            return {false, false, failure};
        }
        if (outcome.failure)
            warnings.append(aboutCopy(entry, copy, *outcome.failure));
        written.append({&plan, old.value_or(QByteArray()), wasLocked, outcome.insertedVersion});
    }
    SignatureService::Outcome outcome{true, false, std::nullopt};
    if (!warnings.isEmpty())
        outcome.failure = warnings.join(u' ');
    return outcome;
}

std::optional<QString> missingFile(const SignatureService::Entry &entry)
{
    if (entry.copies.isEmpty())
        return QStringLiteral("The signature's file could not be found.");
    for (const SignatureService::Copy &copy : entry.copies) {
        if (const std::optional<QString> problem = copy.store.fileProblem(entry.signature.id))
            return aboutCopy(entry, copy, *problem);
    }
    return std::nullopt;
}

// The copy's bytes and their split, without its body decoded.
SignatureService::Reading readSplit(const SignatureService::Copy &copy)
{
    SignatureService::Reading reading;
    reading.bytes =
        copy.file.isEmpty() ? std::nullopt : RegularFile::read(copy.file, SignatureLimits::maximumFileSize);
    if (!reading.bytes) {
        reading.fault = QStringLiteral("The signature's file could not be read, so it was left as it is.");
        return reading;
    }
    const std::optional<QString> text = SignatureFileFormat::decodeUtf8(*reading.bytes);
    if (!text) {
        reading.fault = QStringLiteral("The signature's file is not UTF-8 text, so it was left as it is.");
        return reading;
    }
    reading.content = SignatureFileFormat::split(*text);
    if (!reading.content)
        reading.fault = QStringLiteral(
            "The signature's file has no empty line after its header, so it was left as it is.");
    return reading;
}

// What an insert of html writes into each copy, each under its own header
// and with its own parts; none, with the refusal, when any copy cannot take
// it. The parts that html leaves out go to leftOut.
std::optional<QList<Plan>> planInsert(const SignatureService::Entry &entry, const QString &html,
                                      const QList<SignatureImage> &images, bool *unchanged, QString *failure,
                                      QList<SignatureImage> *leftOut = nullptr)
{
    if (const std::optional<QString> missing = missingFile(entry)) {
        *failure = *missing;
        return std::nullopt;
    }
    QList<Plan> plans;
    *unchanged = true;
    for (const SignatureService::Copy &copy : entry.copies) {
        SignatureService::Reading reading = readSplit(copy);
        // Writing a header that did not split off would destroy the file's own.
        if (reading.fault) {
            *failure = aboutCopy(entry, copy, *reading.fault);
            return std::nullopt;
        }
        // What the copy holds is read in the same pass as what it is to hold.
        std::optional<SignatureFileFormat::Body> held;
        const std::optional<QByteArray> bytes =
            SignatureFileFormat::compose(*reading.content, html, images, leftOut, &held);
        if (held) {
            reading.html = held->html;
            reading.parts = held->parts;
        }
        if (!bytes) {
            *failure =
                aboutCopy(entry, copy,
                          QStringLiteral("The signature's file has a header this program cannot read, so "
                                         "it was left as it is."));
            return std::nullopt;
        }
        *unchanged = *unchanged && reading.holds(html, images);
        plans.append({copy, *bytes});
    }
    return plans;
}

} // namespace

bool CopyWriter::isReplaced(const QString &file, const std::optional<KeptVersions::Version> &inserted)
{
    if (!inserted)
        return false;
    // Sizes first: a list of a thousand signatures is checked at every load.
    if (QFileInfo(file).size() != QFileInfo(inserted->file).size())
        return true;
    const std::optional<QByteArray> now = RegularFile::read(file, SignatureLimits::maximumFileSize);
    return !now || now != KeptVersions::read(inserted->file);
}

bool SignatureService::Reading::holds(const QString &html, const QList<SignatureImage> &images) const
{
    return this->html == html &&
           std::all_of(images.cbegin(), images.cend(), [&](const SignatureImage &image) {
               return std::any_of(parts.cbegin(), parts.cend(), [&](const SignatureImage &part) {
                   return part.contentId == image.contentId;
               });
           });
}

SignatureService::Reading CopyWriter::readCopy(const SignatureService::Copy &copy, bool withData)
{
    SignatureService::Reading reading = readSplit(copy);
    if (!reading.content)
        return reading;
    if (std::optional<SignatureFileFormat::Body> body =
            SignatureFileFormat::body(*reading.content, withData)) {
        reading.html = std::move(body->html);
        reading.parts = std::move(body->parts);
    }
    return reading;
}

std::optional<QByteArray> CopyWriter::wouldWrite(const Entry &entry, const QString &html, QString *failure,
                                                 bool *unchanged, const QList<SignatureImage> &images)
{
    const std::optional<QList<Plan>> plans = planInsert(entry, html, images, unchanged, failure);
    return plans ? std::optional(plans->first().bytes) : std::nullopt;
}

Outcome CopyWriter::insert(const Entry &entry, const QString &html, bool lock,
                           const QList<SignatureImage> &images)
{
    bool unchanged = false;
    QString failure;
    QList<SignatureImage> leftOut;
    const std::optional<QList<Plan>> plans = planInsert(entry, html, images, &unchanged, &failure, &leftOut);
    if (!plans)
        return {false, false, failure};
    if (unchanged) {
        // Nothing to write; a lock asked for is still a lock the user expects.
        bool locked = true;
        for (const Copy &copy : entry.copies) {
            if (lock && !Platform::fileFlags().isImmutable(copy.file))
                locked = Platform::fileFlags().setImmutable(copy.file, true) && locked;
        }
        return {false, true,
                locked
                    ? std::nullopt
                    : std::optional<QString>(QStringLiteral("The signature could not be locked, so Mail may "
                                                            "change it."))};
    }
    Outcome outcome = writeAll(entry, *plans, lock);
    if (outcome.written && !leftOut.isEmpty())
        outcome.notice = SignatureService::leftOutSentence(leftOut);
    return outcome;
}

Outcome CopyWriter::restore(const Entry &entry, const KeptVersions::Version &version)
{
    const std::optional<QByteArray> bytes = KeptVersions::read(version.file);
    if (!bytes)
        return {false, false, QStringLiteral("That version could not be read, so nothing was changed.")};
    if (const std::optional<QString> missing = missingFile(entry))
        return {false, false, missing};
    const std::optional<AppleSignatureContent> kept = SignatureFileFormat::parse(*bytes);
    const std::optional<SignatureFileFormat::Body> body =
        kept ? SignatureFileFormat::body(*kept) : std::nullopt;
    QList<Plan> plans;
    for (const Copy &copy : entry.copies) {
        if (copy.store.kind == version.store) {
            plans.append({copy, *bytes});
            continue;
        }
        // Another store's copy keeps its own header and takes the version's HTML and images.
        const Reading reading = CopyWriter::readCopy(copy, false);
        const std::optional<QByteArray> composed =
            body && reading.content ? SignatureFileFormat::compose(*reading.content, body->html, body->parts)
                                    : std::nullopt;
        if (composed)
            plans.append({copy, *composed});
    }
    return writeAll(entry, plans, true);
}

Outcome CopyWriter::putBack(const Entry &entry)
{
    QList<Plan> plans;
    for (const Copy &copy : entry.copies) {
        if (!copy.isReplacedSinceInsert)
            continue;
        const std::optional<KeptVersions::Version> inserted =
            KeptVersions::lastInserted(entry.signature.id, copy.store.kind);
        const std::optional<QByteArray> bytes = inserted ? KeptVersions::read(inserted->file) : std::nullopt;
        if (!bytes)
            return {
                false, false,
                aboutCopy(entry, copy,
                          QStringLiteral("What was inserted could not be read, so nothing was changed."))};
        plans.append({copy, *bytes});
    }
    if (plans.isEmpty())
        return {false, true, std::nullopt};
    return writeAll(entry, plans, true);
}

std::optional<QString> CopyWriter::unlock(const Entry &entry)
{
    if (const std::optional<QString> missing = missingFile(entry))
        return missing;
    QList<const Copy *> unlocked;
    for (const Copy &copy : entry.copies) {
        const bool wasLocked = Platform::fileFlags().isImmutable(copy.file);
        if (const std::optional<QString> failure = SignatureWriter::unlock(targetOf(entry, copy))) {
            // Half unlocked is no state the user asked for: the others are locked again.
            for (const Copy *done : unlocked)
                Platform::fileFlags().setImmutable(done->file, true);
            return aboutCopy(entry, copy, *failure);
        }
        if (wasLocked)
            unlocked.append(&copy);
    }
    return std::nullopt;
}
