// The certificate side of the Windows build, which has no TLS library (GnuTLS is not built for
// Windows). Nothing can be served over HTTPS, so a listener that other computers reach starts only
// with --plain-http, and the operator is told so.
#include "web/tls_certificate.h"

#include "web/web_text.h"

namespace web {

namespace {

LoadedCertificate noHttps()
{
    LoadedCertificate loaded;
    loaded.error = WebText::tr("This build of vorfjp-web cannot serve HTTPS. Listen on this computer "
                               "alone (--listen 127.0.0.1), or give --plain-http on a network you trust.");
    return loaded;
}

} // namespace

LoadedCertificate loadCertificate(const QString&, const QString&)
{
    return noHttps();
}

LoadedCertificate selfSignedCertificate(const QString&, const QString&, const QStringList&, const QDateTime&)
{
    return noHttps();
}

} // namespace web
