// readKeyValue on a fake registry that answers with the fuzzed bytes: whatever the registry says
// (a failure, a value too long, a size beyond what it wrote), the value is read within its buffer,
// its terminating zero alone is trimmed, and the answer follows the value's type.
//
// Input: byte 0 picks the registry's behaviour (bit 0: the key does not open; bit 1: the value
// cannot be read; bit 2: the registry reports the size of bytes 2-3 instead of the value's), byte 1
// is the value's type, the rest is the value.
#include "FuzzSupport.h"
#include "SysInfo.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

class FuzzedRegistry : public host::Registry {
public:
    bool opens = true;
    bool reads = true;
    bool overstates = false;
    std::uint32_t claimedSize = 0;
    std::uint32_t type = host::REG_NONE;
    QByteArray value;
    int closes = 0;

    long openKey(host::KeyHandle, const QByteArray&, std::uint32_t, std::uint32_t,
                 host::KeyHandle* result) override {
        if (!opens)
            return host::ERROR_FILE_NOT_FOUND;
        *result = 0x1234;
        return host::ERROR_SUCCESS;
    }
    long queryValue(host::KeyHandle key, const QByteArray&, std::uint32_t* typeOut, unsigned char* data,
                    std::uint32_t* count) override {
        FUZZ_CHECK(key == 0x1234, "a value asked of a key that was never opened");
        if (!reads)
            return host::ERROR_FILE_NOT_FOUND;
        const auto size = static_cast<std::uint32_t>(value.size());
        if (!overstates && size > *count) {
            *count = size;
            return host::ERROR_MORE_DATA;
        }
        std::copy_n(value.constData(), std::min(size, *count), data);
        *typeOut = type;
        *count = overstates ? claimedSize : size;
        return host::ERROR_SUCCESS;
    }
    long closeKey(host::KeyHandle) override {
        ++closes;
        return host::ERROR_SUCCESS;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    FuzzedRegistry registry;
    registry.opens = (data[0] & 1) == 0;
    registry.reads = (data[0] & 2) == 0;
    registry.overstates = (data[0] & 4) != 0;
    registry.type = data[1];
    registry.claimedSize = static_cast<std::uint32_t>(data[2] | data[3] << 8);
    registry.value = QByteArray(reinterpret_cast<const char*>(data + 4), static_cast<qsizetype>(size - 4));

    const QString untouched = QStringLiteral("<untouched>");
    QString keyVal = untouched;
    const bool found = about::readKeyValue(registry, host::HKEY_LOCAL_MACHINE, about::sysInfoKey,
                                           about::sysInfoValue, keyVal);
    FUZZ_CHECK(registry.closes == 1, "the key was closed " + std::to_string(registry.closes) + " times");

    // What the registry wrote into a buffer of keyValueBufferSize zeros, as far as it said it did.
    const std::uint32_t reported = registry.overstates ? registry.claimedSize
                                                       : static_cast<std::uint32_t>(registry.value.size());
    const bool fits = registry.overstates || reported <= about::keyValueBufferSize;
    if (!registry.opens || !registry.reads || !fits) {
        FUZZ_CHECK(!found && keyVal.isEmpty(), "a missing value gave a text");
        return 0;
    }
    FUZZ_CHECK(found, "a value that was read counts as missing");
    QByteArray written = registry.value.left(about::keyValueBufferSize);
    written.append(QByteArray(about::keyValueBufferSize - written.size(), '\0'));
    QByteArray expected = written.left(std::min(reported, about::keyValueBufferSize));
    if (expected.endsWith('\0'))
        expected.chop(1); // the terminating zero alone: a zero inside is part of the value

    if (registry.type == host::REG_SZ) {
        FUZZ_CHECK(keyVal == QString::fromLocal8Bit(expected), "the text is not the value, trimmed of its zero");
    } else if (registry.type == host::REG_DWORD) {
        static const QRegularExpression hex(QStringLiteral("^&h(?:[0-9A-F]{2})*$"));
        FUZZ_CHECK(hex.match(keyVal).hasMatch(), "not &h and pairs of hexadecimal digits: " + keyVal.toStdString());
        QByteArray bytes = QByteArray::fromHex(keyVal.mid(2).toLatin1());
        std::reverse(bytes.begin(), bytes.end());
        FUZZ_CHECK(bytes == expected, "the digits are not the value's bytes, last first");
    } else {
        FUZZ_CHECK(keyVal == untouched, "a value of another type changed the text");
    }
    return 0;
}
