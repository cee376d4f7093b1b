#include "backup/sha256.h"

#include <openssl/evp.h>
#include <new>

namespace backup {

Sha256::Sha256() : ctx_(EVP_MD_CTX_new()) {
    if (!ctx_ || EVP_DigestInit_ex(ctx_, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
}

Sha256::~Sha256() { EVP_MD_CTX_free(ctx_); }

void Sha256::addData(QByteArrayView data) {
    if (!data.isEmpty()) EVP_DigestUpdate(ctx_, data.data(), std::size_t(data.size()));
}

QByteArray Sha256::result() const {
    // Finished on a copy, so that more data may follow.
    EVP_MD_CTX* copy = EVP_MD_CTX_new();
    QByteArray out(EVP_MAX_MD_SIZE, '\0');
    unsigned length = 0;
    const bool ok =
        copy && EVP_MD_CTX_copy_ex(copy, ctx_) == 1 &&
        EVP_DigestFinal_ex(copy, reinterpret_cast<unsigned char*>(out.data()), &length) == 1;
    EVP_MD_CTX_free(copy);
    if (!ok) throw std::bad_alloc();
    out.truncate(length);
    return out;
}

}  // namespace backup
