#include "mqtt/tls_session.h"

#include <openssl/ssl.h>

namespace mqtt {

bool tlsHoldsBytes(const void* session)
{
    return session != nullptr && SSL_pending(static_cast<const SSL*>(session)) > 0;
}

} // namespace mqtt
