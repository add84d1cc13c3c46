#pragma once

#include "store/SignatureImage.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The parts of a multipart signature file, read with GMime: the one that is
// its HTML (the root text/html part) and the others, its images among them,
// each with where its bytes lie in the body, so that a write can keep them
// byte for byte.
class SignatureParts
{
public:
    struct Part
    {
        // The part's content id, file name, type and decoded bytes.
        SignatureImage image;
        // Where it lies in the body: its first header, its content, and the
        // end of its content (the line break before the next boundary is
        // the boundary's).
        qsizetype begin = 0;
        qsizetype contentBegin = 0;
        qsizetype end = 0;
    };

    // None when header declares no multipart type or GMime finds no parts
    // in body. Without withData the parts' bytes are not decoded.
    static std::optional<SignatureParts> read(const QByteArray &header, const QByteArray &body,
                                              bool withData = true);

    // The root text/html part: the part that multipart/related's start
    // parameter names, else its first; inside multipart/alternative, the
    // last text/html one. None when there is no such part.
    const std::optional<Part> &html() const { return m_html; }
    // The HTML part's header and content, as the file holds them.
    QByteArray htmlHeader() const;
    QByteArray htmlContent() const;
    // Every other part that holds content, in the order of the file.
    const QList<Part> &others() const { return m_others; }
    // The body is multipart/related whose own parts are all single parts,
    // the HTML one among them: its parts can be kept, left out and added to
    // in place, its boundary kept.
    bool isFlatRelated() const { return m_flatRelated; }
    const QByteArray &boundary() const { return m_boundary; }
    const QByteArray &body() const { return m_body; }

private:
    // Whether the parts lie one after the other between boundary lines, as
    // the body's own bytes show them, each end set where its boundary begins.
    bool delimited();

    QByteArray m_body;
    QByteArray m_boundary;
    std::optional<Part> m_html;
    QList<Part> m_others;
    bool m_flatRelated = false;
};
