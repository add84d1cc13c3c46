#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One thing about a signature that Mail or its recipients will do otherwise
// than the user expects, with what to do about it in one sentence.
struct SignatureNote
{
    // In the order the notes are listed: what every recipient sees first.
    enum class Kind
    {
        PlainFont,
        MissingPart,
        EmbeddedImage,
        ImageFormat,
        DarkImage,
        ImageSize,
        UnreachableAddress,
        PlainHttp,
        Script,
        OutsideStyles,
        TooLarge
    };

    Kind kind = Kind::PlainFont;
    QString sentence;

    static SignatureNote of(Kind kind);
    static QList<Kind> allKinds();
    // A stable lower-case name for machine-readable output ("plain-http").
    static QString name(Kind kind);
    // "1 note" / "3 notes": the count the window's note line shows.
    static QString countText(qsizetype count);

    friend bool operator==(const SignatureNote &, const SignatureNote &) = default;
};

Q_DECLARE_METATYPE(SignatureNote)
