#include "shell/Credential.h"

#include "data/Win1252.h"

#include <vector>

QString EncodeCredential(const QString& text)
{
    // The stored format counts characters in one byte, and bits in one byte too: 32 characters
    // are 256 bits, which count as none.
    const qsizetype count = text.size() % 32;
    if (count == 0)
        return {};
    QByteArray bytes(count, '\0');
    for (qsizetype i = 0; i < count; ++i) {
        // A character without a Windows-1252 byte keeps only its low byte, as a code page would.
        const QString one = text.mid(i, 1);
        bytes[i] = win1252::canEncode(one) ? win1252::encode(one).at(0) : char(text.at(i).unicode() & 0xFF);
    }

    // Rotate the whole bit string left by three bits.
    const auto byteAt = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i % count]); };
    std::vector<unsigned char> rotated(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i)
        rotated[std::size_t(i)] = static_cast<unsigned char>((byteAt(i) << 3) | (byteAt(i + 1) >> 5));

    // Bytes from the last to the first, each as two letters A..P, high half first.
    QString out;
    out.reserve(2 * count);
    for (qsizetype i = count - 1; i >= 0; --i) {
        const unsigned char y = rotated[std::size_t(i)];
        out += QChar(u'A' + (y >> 4));
        out += QChar(u'A' + (y & 0x0F));
    }
    return out;
}
