#include "preview/PreviewPage.h"

QString PreviewPage::html()
{
    return QStringLiteral("<html><head><script>"
                          "    function update(html){\n"
                          "        document.getElementById('signature-container').innerHTML = html"
                          "                 \n"
                          "    }"
                          "</script></head><body><div id=\"signature-container\"></div></body></html>");
}

QString PreviewPage::containerId()
{
    return QStringLiteral("signature-container");
}
