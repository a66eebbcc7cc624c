#pragma once
// The certificate vorfjp-web serves HTTPS with: one the operator gives, or a self-signed one made
// on the first start and kept beside the password file. Either way the operator is shown its
// SHA-256 fingerprint, to compare with what the browser shows before trusting it.
#include "web/http_server.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace web {

struct LoadedCertificate {
    std::optional<TlsCredentials> credentials; // nothing: see error
    QString fingerprint; // SHA-256 of the (first) certificate, "AB:12:…" (32 pairs)
    bool made = false;   // made just now
    QString error;       // for the user, naming the file
};

// The certificate and key in these files; an error when either cannot be read, is no PEM of its
// kind, or they do not belong together.
LoadedCertificate loadCertificate(const QString& certificatePath, const QString& keyPath);

// The self-signed certificate at these paths, made first when neither file is there: an ECDSA
// P-256 key, the certificate valid from a day before now for ten years, for names (host names,
// IPv4 or IPv6 addresses, such as "localhost", "board.lan", "192.168.1.20"). Both files are
// readable by the user alone. A pair that is there is used as it is, whatever names it has.
// Example: selfSignedCertificate(dir + "/web-tls.crt", dir + "/web-tls.key", {"localhost"}, now)
// makes both files, made == true; a second call reads them, made == false, same fingerprint.
LoadedCertificate selfSignedCertificate(const QString& certificatePath, const QString& keyPath,
                                        const QStringList& names, const QDateTime& now);

} // namespace web
