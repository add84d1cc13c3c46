// What the check notes on a signature's HTML and its rich flag; which dark rendering it gets; the
// selected signature's notes, on its body as the preview shows it.
#include "notes/DarkScheme.h"
#include "notes/SignatureCheck.h"
#include "notes/SignatureNotesUIModel.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"
#include "tests/common/TestHome.h"

class TestNotes : public QObject
{
    Q_OBJECT
private slots:
    void check_data()
    {
        columns<QString, int, QString>(); // html, the entry's rich flag (1, 0, -1: none), the notes' kinds
        // The parts check() below gives: "logo@x" a PNG, "vector@x" an SVG, "dark@x" a dark mark on nothing.
        const QString card =
            u"<table><tr><td style=\"font: 13px Helvetica; background: url(https://x.example/bg.png)\">"
            "<img width=\"100\" src=\"cid:logo@x\" srcset=\"https://x.example/a.png 1x, "
            "https://x.example/b.png 2x\">"
            "<a href=\"https://x.example/\">x</a> <a href=\"mailto:a@x.example\">mail</a> "
            "<a href=\"tel:+442079460958\">call</a></td></tr></table>"_s;
        row("a business card", card, 1, QString());
        row("not rich", card, 0, u"plain-font"_s);
        row("rich flag missing", u"<b>A.</b>"_s, -1, QString());
        row("embedded image", u"<img width=1 src=\"data:image/png;base64,iVBORw0KGgo=\">"_s, 1,
            u"embedded-image"_s);
        // 4 x 4 PNGs: a mark in the middle, transparent around, or the whole square opaque.
        const QString png =
            u"<img width=1 src=\"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECA%1\">"_s;
        row("dark mark on nothing",
            png.arg(u"YAAACp8Z5+AAAAFUlEQVR42mNgwAYUFBT+gzBuAWQAALWCBX0YaKOPAAAAAElFTkSuQmCC"_s), 1,
            u"embedded-image,dark-image"_s);
        row("light mark on nothing",
            png.arg(u"YAAACp8Z5+AAAAFUlEQVR42mNgwAY+fPjwH4RxCyADAAYADz10CJlIAAAAAElFTkSuQmCC"_s), 1,
            u"embedded-image"_s);
        row("dark and opaque", png.arg(u"IAAAAmkwkpAAAADklEQVR42mNQQAIMxHEAnDQGAQi1YvsAAAAASUVORK5CYII="_s),
            1, u"embedded-image"_s);
        row("data address in a comment",
            u"<!-- <img width=1 src=\"data:image/png;base64,AA\"> --><p>A.</p>"_s, 1, QString());
        row("markup only as text", u"<p>&lt;script&gt; http://x.example data:image/png @import</p>"_s, 1,
            QString());
        row("file image", u"<img width=1 src=\"file:///Users/ada/logo.png\">"_s, 1, u"unreachable-address"_s);
        row("windows path", u"<img width=1 src=\"C:\\Users\\ada\\logo.png\">"_s, 1, u"unreachable-address"_s);
        row("relative link", u"<a href=\"contact.html\">contact</a>"_s, 1, u"unreachable-address"_s);
        row("http image", u"<img width=1 src=\"http://x.example/a.png\">"_s, 1, u"plain-http"_s);
        row("http link", u"<a href=\" http://x.example/\">x</a>"_s, 1, u"plain-http"_s);
        row("script element", u"<p>A.</p><script>alert(1)</script>"_s, 1, u"script"_s);
        row("event handler", u"<p onmouseover=\"x()\">A.</p>"_s, 1, u"script"_s);
        row("javascript link, a tab in its scheme", u"<a href=\"java\tscript:x()\">x</a>"_s, 1, u"script"_s);
        row("style sheet link", u"<link rel=\"alternate Stylesheet\" href=\"https://x.example/s.css\">"_s, 1,
            u"outside-styles"_s);
        row("@import, its address no image", u"<style>@import url(http://x.example/s.css); p{}</style>"_s, 1,
            u"outside-styles"_s);
        row("@import in a css comment", u"<style>/* @import url(a.css); */ p { color: red }</style>"_s, 1,
            QString());
        row("upper-case tags and attributes",
            u"<IMG WIDTH=1 SRC=\"HTTP://X.EXAMPLE/A.PNG\"><A ONCLICK=\"x()\">x</A>"_s, 1,
            u"plain-http,script"_s);
        row("attributes without quotes", u"<img width=1 alt=logo src=http://x.example/a.png>"_s, 1,
            u"plain-http"_s);
        row("srcset, a data address holding commas",
            u"<img width=1 src=\"https://x.example/a.png\" srcset=\"https://x.example/b.png 2x,"
            "data:image/png;base64,AA,BB 3x, https://x.example/c.png 4x\">"_s,
            1, u"embedded-image"_s);
        row("background-image in a style attribute", u"<td style=\"background-image: url( 'logo.png' )\">"_s,
            1, u"unreachable-address"_s);
        row("a part it names", u"<img width=1 src=\" CID:logo%40x\"><td background=\"cid:logo@x\">"_s, 1,
            QString());
        row("a part it does not hold", u"<img width=1 src=\"cid:other@x\">"_s, 1, u"missing-part"_s);
        row("Mail's older object form", u"<object data=\"cid:other@x\"></object>"_s, 1, u"missing-part"_s);
        row("neither width nor height", u"<img src=\"https://x.example/a.png\"><img height=9 src=a.png>"_s, 1,
            u"image-size,unreachable-address"_s);
        row("SVG and WebP", u"<img width=1 src=\"https://x.example/a.svg?v=2\">"_s, 1, u"image-format"_s);
        row("a WebP data: image", u"<img width=1 src=\"data:image/webp;base64,UklGRg==\">"_s, 1,
            u"embedded-image,image-format"_s);
        row("a PNG part dark on nothing", u"<img width=1 src=\"cid:dark@x\">"_s, 1, u"dark-image"_s);
        row("an SVG part", u"<img width=1 src=\"cid:vector@x\">"_s, 1, u"image-format"_s);
        row("just 100 KB", u"<p>"_s + QString(SignatureCheck::clippedSize - 3, u'x'), 1, QString());
        row("over 100 KB", u"<p>"_s + QString(SignatureCheck::clippedSize - 2, u'x'), 1, u"too-large"_s);
        row("60,000 accented letters: 120 KB in UTF-8", QString(60000, u'\u00e9'), 1, u"too-large"_s);
        // Past the parser's limits the rest is still read.
        row("nested 20,000 deep, then an http image",
            u"<div>"_s.repeated(20000) + u"</x>"_s.repeated(20000) +
                u"<img width=1 src=\"http://x.example/a.png\">"_s,
            1, u"plain-http,too-large"_s);
        QString attributes = u"<p"_s;
        for (int i = 0; i < 3000; ++i)
            attributes += u" a%1"_s.arg(i);
        row("3,000 attributes, then a script", attributes + u">A.</p><script></script>"_s, 1, u"script"_s);
        row("a NUL byte, then a script", u"<p>\0</p><script></script>"_s, 1, u"script"_s);
        row("everything at once",
            u"<link rel=stylesheet href=s.css><img width=1 src=data:image/gif;base64,R0 src=x><a href=http://x>x</a>"_s +
                QString(SignatureCheck::clippedSize, u' ') + u"<script></script>"_s,
            0, u"plain-font,embedded-image,plain-http,script,outside-styles,too-large"_s);
    }
    void selectedSignature_data()
    {
        columns<QByteArray, QString>(); // the quoted-printable body of a file; the notes on it
        row("a script behind a soft line break", "<p>x</p><scr=\nipt>x()</script>"_ba, u"script"_s);
        row("an escaped equals sign", "<img width=3D1 src=3D\"http://x.example/a.png\">"_ba, u"plain-http"_s);
    }
    void selectedSignature()
    {
        const auto [body, notes] = fetch<QByteArray, QString>();
        TestHome home;
        QVERIFY(TestHome::write(home.file(0), TestHome::header(home.id(0)) + "\n\n" + body));
        const std::unique_ptr<SignaturesEngine> engine = grantedEngine();
        SignatureNotesUIModel model(*engine);
        engine->selectionUiModel()->signature().set(engine->uiModel()->signatures().get().at(0));
        QStringList names;
        for (const SignatureNote &note : model.notes().get())
            names.append(SignatureNote::name(note.kind));
        QCOMPARE(names.join(u' '), notes);
    }
    void check()
    {
        const auto [html, rich, kinds] = fetch<QString, int, QString>();
        // What each note tells the user, in the order of the kinds.
        static const QStringList sentences = {
            u"Mail shows this signature in your default message font: untick \u201CAlways match my "
            "default message font\u201D in Mail's signature settings."_s,
            u"An image names a part of the signature (a cid: address) that the signature does not hold, "
            "so it shows as a broken image: insert the HTML again with its images."_s,
            u"An image is embedded in the HTML, which Mail shows but many recipients' mail programs "
            "drop: embed it as an image part, as Mail does, or host the image and link it over https."_s,
            u"An image is SVG or WebP, which Gmail and Outlook for Windows do not show: use PNG or JPEG."_s,
            u"An embedded image is dark on a transparent background, so on a dark background (Mail in "
            "dark mode, many recipients) it can hardly be seen: give it a light outline or a background "
            "of its own."_s,
            u"An image has neither a width nor a height, so Outlook shows it at its full size, and a logo "
            "made at twice the size for sharp screens shows twice as big: give it a width."_s,
            u"An image or link points to a file on this Mac or has no full address, so recipients cannot "
            "reach it: use a full https address."_s,
            u"An image or link uses plain http, which some mail programs block or warn about: use https."_s,
            u"The signature holds script, which Mail never runs in a signature, so it does nothing "
            "there: remove it."_s,
            u"The signature loads an outside style sheet, which most recipients' mail programs do not "
            "load: put the styles inline."_s,
            u"The signature is larger than 100 KB and Gmail clips messages over 102 KB, so it will often "
            "be cut: make it smaller."_s};
        QStringList names;
        int deepest = 0;
        const QList<SignatureImage> parts = {
            {u"logo@x"_s, u"logo.png"_s, "image/png", TestHome::png("black")},
            {u"vector@x"_s, u"v.svg"_s, "image/svg+xml", "<svg/>"},
            {u"dark@x"_s, u"d.png"_s, "image/png",
             QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECAYAAACp8Z5+"
                                    "AAAAFUlEQVR42mNgwAYUFBT+gzBuAWQAALWCBX0YaKOP"
                                    "AAAAAElFTkSuQmCC")}};
        const QList<SignatureNote> notes = SignatureCheck::check(
            html, rich < 0 ? std::nullopt : std::optional<bool>(rich == 1), parts, &deepest);
        // However deep the HTML, the parser holds a bounded number open, so the check stays linear.
        QCOMPARE_LE(deepest, 129);
        for (const SignatureNote &note : notes) {
            names.append(SignatureNote::name(note.kind));
            QCOMPARE(note.sentence, sentences.value(int(note.kind)));
        }
        QCOMPARE(names.join(u','), kinds);
    }
    void darkScheme_data()
    {
        columns<QString, bool>(); // html; whether it declares a dark scheme (else: inverted)
        row("color-scheme meta, light dark",
            u"<meta name=\"color-scheme\" content=\"light dark\"><p>A.</p>"_s, true);
        row("color-scheme meta, only light", u"<meta name=color-scheme content=\"only light\">"_s, false);
        row("color-scheme meta, dark, upper case", u"<META NAME=\" Color-Scheme\" CONTENT=\"DARK\">"_s, true);
        row("supported-color-schemes meta",
            u"<meta name=\"supported-color-schemes\" content=\"light dark\">"_s, true);
        row(":root in a style element", u"<style>:root { color-scheme: light dark; }</style>"_s, true);
        row("a style attribute", u"<div style=\"color:#222;color-scheme:dark\">A.</div>"_s, true);
        row("only light in a style element", u"<style>:root{color-scheme: only light}</style>"_s, false);
        row("dark rules alone",
            u"<style>@media (prefers-color-scheme: dark) { p { color: white } }</style>"_s, false);
        row("in a css comment", u"<style>/* :root{color-scheme: light dark} */</style>"_s, false);
        row("markup only as text", u"<p>&lt;meta name=\"color-scheme\" content=\"dark\"&gt;</p>"_s, false);
        row("none", u"<p style=\"color: #222\">A.</p>"_s, false);
    }
    void darkScheme()
    {
        const auto [html, declared] = fetch<QString, bool>();
        QCOMPARE(DarkScheme::isDeclared(html), declared);
    }
};

QTEST_GUILESS_MAIN(TestNotes)
#include "tst_notes.moc"
