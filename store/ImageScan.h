#pragma once

#include "store/HtmlScan.h"

#include <QByteArrayView>

// Reads where HTML names images, as a mail program shows them: src of img,
// input and image, srcset of img and source, background of any element,
// poster of video, href of image, data of object (Mail's older form of an
// image part), and url(...) in the CSS of style attributes and elements.
// A subclass hears of each image, of every start tag and of @import.
class ImageScan : public HtmlScan
{
public:
    struct Image
    {
        // As the parser gives it: character references already decoded.
        QByteArrayView address;
        // The element that names it, lower-case.
        const unsigned char *element = nullptr;
        // The attribute that names it, or "style" for a style attribute's CSS;
        // null in a style element.
        const unsigned char *attribute = nullptr;
        // An img with a width or a height attribute.
        bool sized = false;
    };

protected:
    virtual void image(const Image &image) = 0;
    // Every start tag, before its images are told.
    virtual void tag(const unsigned char *name, const unsigned char **attributes);
    // An @import rule in CSS: a style sheet from elsewhere.
    virtual void import();

private:
    void element(const unsigned char *name, const unsigned char **attributes) final;
    void styleSheet(QByteArrayView text) final;
    void sourceSet(QByteArrayView value, Image image);
    void css(QByteArrayView text, Image image);
    qsizetype cssUrl(QByteArrayView text, qsizetype at, Image image);
};
