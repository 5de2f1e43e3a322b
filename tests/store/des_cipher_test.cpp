// DES against the published known-answer tables, both directions. One wrong
// table entry or bit order anywhere in the cipher fails most of these.
#include "store/des_cipher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using store::DesCipher;

DesCipher::Block FromHex(const std::string& hex) {
    DesCipher::Block b{};
    for (size_t i = 0; i < 8; ++i)
        b[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return b;
}

struct Vector {
    std::string kind, key, plain, cipher;
};

std::vector<Vector> LoadVectors() {
    std::ifstream in(AMBIT_TEST_DATA_DIR "/des_vectors.txt");
    std::vector<Vector> v;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Vector x;
        fields >> x.kind >> x.key >> x.plain >> x.cipher;
        v.push_back(x);
    }
    return v;
}

TEST(DesCipher, PublishedKnownAnswerTablesInBothDirections) {
    auto vectors = LoadVectors();
    std::map<std::string, int> perKind;
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.kind + " key " + v.key + " plaintext " + v.plain);
        DesCipher::Block out{}, back{};
        DesCipher enc(FromHex(v.key), DesCipher::Encrypt);
        enc.EncryptBlock(FromHex(v.plain).data(), out.data());
        EXPECT_EQ(out, FromHex(v.cipher));
        DesCipher dec(FromHex(v.key), DesCipher::Decrypt);
        dec.DecryptBlock(FromHex(v.cipher).data(), back.data());
        EXPECT_EQ(back, FromHex(v.plain));
        ++perKind[v.kind];
    }
    EXPECT_EQ(perKind["variable-plaintext"], 64);
    EXPECT_EQ(perKind["variable-key"], 56);
    EXPECT_EQ(perKind["permutation"], 32);
    EXPECT_EQ(perKind["substitution"], 4);
    EXPECT_EQ(perKind["classic"], 1);
}

}  // namespace
