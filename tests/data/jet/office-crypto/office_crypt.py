#!/usr/bin/python3
"""Encrypts or decrypts an .accdb file with Office encryption, as Access lays
it out: the description at 0x299 of the header page, the database key at
0x3E under the header mask, every page after the first encrypted on its own.

A second, independent implementation (Python's hashlib and the
`cryptography` package, Debian's python3-cryptography) that makes the files
in this folder, so the reader is tested on kinds of encryption no sample
made by Access covers here. Output is deterministic: salts and keys come
from SHA-256 of a seed.

  office_crypt.py encrypt PLAIN OUT --kind standard|rc4|agile --password PW
                  [--key-bits N] [--hash SHA1|SHA512] [--spin-count N] [--seed TEXT]
  office_crypt.py decrypt ENCRYPTED OUT --password PW
"""

import argparse
import base64
import hashlib
import struct
import sys
import warnings

warnings.filterwarnings("ignore")  # ARC4's deprecation notice
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes  # noqa: E402

PAGE = 4096
INFO_OFFSET = 0x299
KEY_OFFSET = 0x3E
MASK_START, MASK_LENGTH = 0x18, 128
BLOCK_INPUT = bytes.fromhex("fea7d2763b4b9e79")
BLOCK_VALUE = bytes.fromhex("d7aa0f6d3061344e")
BLOCK_KEY = bytes.fromhex("146e0be7abacd0d6")
PASSWORD_URI = "http://schemas.microsoft.com/office/2006/keyEncryptor/password"


def rc4(key, data):
    return Cipher(algorithms.ARC4(key), mode=None).encryptor().update(data)


def aes(key, data, iv=None, decrypt=False):
    cipher = Cipher(algorithms.AES(key), modes.CBC(iv) if iv is not None else modes.ECB())
    op = cipher.decryptor() if decrypt else cipher.encryptor()
    return op.update(data) + op.finalize()


def digest(name, *pieces):
    h = hashlib.new(name.replace("-", "").lower())
    for p in pieces:
        h.update(p)
    return h.digest()


def fit(data, size, pad):
    return data[:size] + bytes([pad]) * max(0, size - len(data))


def le32(n):
    return struct.pack("<I", n & 0xFFFFFFFF)


def iterated(name, salt, password, rounds):
    h = digest(name, salt, password)
    for i in range(rounds):
        h = digest(name, le32(i), h)
    return h


def header_mask():
    # The mask's 4-byte key is shorter than the package's RC4 takes.
    state, j = list(range(256)), 0
    key = bytes([0xC7, 0xDA, 0x39, 0x6B])
    for i in range(256):
        j = (j + state[i] + key[i % 4]) & 255
        state[i], state[j] = state[j], state[i]
    out, a, b = bytearray(), 0, 0
    for _ in range(MASK_LENGTH):
        a = (a + 1) & 255
        b = (b + state[a]) & 255
        state[a], state[b] = state[b], state[a]
        out.append(state[(state[a] + state[b]) & 255])
    return bytes(out)


def database_key(header):
    mask = header_mask()
    raw = bytes(header[KEY_OFFSET + i] ^ mask[KEY_OFFSET - MASK_START + i] for i in range(4))
    return struct.unpack("<I", raw)[0]


def set_database_key(header, key):
    mask = header_mask()
    for i, b in enumerate(le32(key)):
        header[KEY_OFFSET + i] = b ^ mask[KEY_OFFSET - MASK_START + i]
    # Access fills the password field of an encrypted file with the key's
    # low byte (under the creation-date mask); an empty one holds zeros.
    date = struct.unpack("<d", bytes(header[0x72 + i] ^ mask[0x72 - MASK_START + i] for i in range(8)))[0]
    days = struct.pack("<i", int(date // 1))
    for i in range(40):
        header[0x42 + i] = (key & 0xFF) ^ days[i % 4] ^ mask[0x42 - MASK_START + i]


class Random:
    def __init__(self, seed):
        self.seed, self.n = seed.encode(), 0

    def take(self, size):
        out = b""
        while len(out) < size:
            out += hashlib.sha256(self.seed + le32(self.n)).digest()
            self.n += 1
        return out[:size]


# --- The three kinds --------------------------------------------------------

def standard_key(base, block, key_bytes):
    final = digest("sha1", base, block)
    x1 = digest("sha1", bytes(b ^ 0x36 for b in fit(final, 64, 0)))
    x2 = digest("sha1", bytes(b ^ 0x5C for b in fit(final, 64, 0)))
    return (x1 + x2)[:key_bytes]


def rc4_key(base, block, key_bits):
    key = digest("sha1", base, block)[: key_bits // 8]
    return fit(key, 16, 0) if key_bits == 40 else key


def binary_info(flags, alg, key_bits, provider, csp, verifier):
    name = (csp + "\0").encode("utf-16-le")
    header = struct.pack("<8I", flags, 0, alg, 0x8004, key_bits, provider, 0, 0) + name
    return struct.pack("<HHII", 4, 2, flags, len(header)) + header + verifier


def make_standard(password, rnd, key_bits):
    salt, verifier = rnd.take(16), rnd.take(16)
    base = iterated("sha1", salt, password, 50000)
    k0 = standard_key(base, le32(0), key_bits // 8)
    enc = aes(k0, verifier) + aes(k0, fit(digest("sha1", verifier), 32, 0))
    alg = {128: 0x660E, 192: 0x660F, 256: 0x6610}[key_bits]
    info = binary_info(0x24, alg, key_bits, 0x18, "Microsoft Enhanced RSA and AES Cryptographic Provider",
                       struct.pack("<I", 16) + salt + enc[:16] + struct.pack("<I", 20) + enc[16:])
    return info, lambda block, page: aes(standard_key(base, block, key_bits // 8), page)


def make_rc4(password, rnd, key_bits):
    salt, verifier = rnd.take(16), rnd.take(16)
    base = digest("sha1", salt, password)
    enc = rc4(rc4_key(base, le32(0), key_bits), verifier + digest("sha1", verifier))
    info = binary_info(0x0C, 0x6801, key_bits, 1, "Microsoft Base Cryptographic Provider v1.0",
                       struct.pack("<I", 16) + salt + enc[:16] + struct.pack("<I", 20) + enc[16:])
    return info, lambda block, page: rc4(rc4_key(base, block, key_bits), page)


def make_agile(password, rnd, key_bits, hash_name, spin):
    size = hashlib.new(hash_name.lower()).digest_size
    data_salt, key_salt, verifier, page_key = rnd.take(16), rnd.take(16), rnd.take(16), rnd.take(key_bits // 8)
    base = iterated(hash_name, key_salt, password, spin)

    def wrap(block, value):
        key = fit(digest(hash_name, base, block), key_bits // 8, 0x36)
        return aes(key, fit(value, -(-len(value) // 16) * 16, 0), iv=key_salt)

    b64 = lambda b: base64.b64encode(b).decode()
    common = (f'saltSize="16" blockSize="16" keyBits="{key_bits}" hashSize="{size}" cipherAlgorithm="AES" '
              f'cipherChaining="ChainingModeCBC" hashAlgorithm="{hash_name}"')
    xml = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
           '<encryption xmlns="http://schemas.microsoft.com/office/2006/encryption" '
           'xmlns:p="http://schemas.microsoft.com/office/2006/keyEncryptor/password">'
           f'<keyData {common} saltValue="{b64(data_salt)}"/><keyEncryptors>'
           f'<keyEncryptor uri="{PASSWORD_URI}"><p:encryptedKey spinCount="{spin}" {common} '
           f'saltValue="{b64(key_salt)}" '
           f'encryptedVerifierHashInput="{b64(wrap(BLOCK_INPUT, verifier))}" '
           f'encryptedVerifierHashValue="{b64(wrap(BLOCK_VALUE, digest(hash_name, verifier)))}" '
           f'encryptedKeyValue="{b64(wrap(BLOCK_KEY, page_key))}"/></keyEncryptor></keyEncryptors>'
           '</encryption>')
    info = struct.pack("<HHI", 4, 4, 0x40) + xml.encode()

    def page_cipher(block, page, decrypt=False):
        iv = fit(digest(hash_name, data_salt, block), 16, 0x36)
        return aes(page_key, page, iv=iv, decrypt=decrypt)
    return info, page_cipher


# --- Decryption, to check this script against files Access made -------------

def attribute(xml, element, name):
    start = xml.index("<" + element) if not element.startswith(":") else xml.index(element)
    tag = xml[start:xml.index(">", start)]
    at = tag.index(" " + name + '="') + len(name) + 3
    return tag[at:tag.index('"', at)]


def decryptor(info, password):
    major, minor = struct.unpack_from("<HH", info)
    if (major, minor) == (4, 4):
        xml = info[8:].decode()
        h = attribute(xml, ":encryptedKey", "hashAlgorithm")
        bits = int(attribute(xml, ":encryptedKey", "keyBits"))
        spin = int(attribute(xml, ":encryptedKey", "spinCount"))
        salt = base64.b64decode(attribute(xml, ":encryptedKey", "saltValue"))
        data_salt = base64.b64decode(attribute(xml, "keyData", "saltValue"))
        base = iterated(h, salt, password, spin)

        def unwrap(block, name):
            key = fit(digest(h, base, block), bits // 8, 0x36)
            return aes(key, base64.b64decode(attribute(xml, ":encryptedKey", name)), iv=salt, decrypt=True)
        verifier = unwrap(BLOCK_INPUT, "encryptedVerifierHashInput")[:16]
        size = hashlib.new(h.replace("-", "").lower()).digest_size
        if unwrap(BLOCK_VALUE, "encryptedVerifierHashValue")[:size] != digest(h, verifier):
            sys.exit("wrong password")
        page_key = unwrap(BLOCK_KEY, "encryptedKeyValue")[: int(attribute(xml, "keyData", "keyBits")) // 8]
        return lambda block, page: aes(page_key, page, iv=fit(digest(h, data_salt, block), 16, 0x36),
                                       decrypt=True)
    flags, header_size = struct.unpack_from("<II", info, 4)
    key_bits = struct.unpack_from("<I", info, 12 + 16)[0] or 40
    v = info[12 + header_size:]
    salt, enc_verifier = v[4:20], v[20:36]
    if flags & 0x20:
        base = iterated("sha1", salt, password, 50000)
        plain = aes(standard_key(base, le32(0), key_bits // 8), enc_verifier + v[40:72], decrypt=True)
        if plain[16:36] != digest("sha1", plain[:16]):
            sys.exit("wrong password")
        return lambda block, page: aes(standard_key(base, block, key_bits // 8), page, decrypt=True)
    base = digest("sha1", salt, password)
    plain = rc4(rc4_key(base, le32(0), key_bits), enc_verifier + v[40:60])
    if plain[16:] != digest("sha1", plain[:16]):
        sys.exit("wrong password")
    return lambda block, page: rc4(rc4_key(base, block, key_bits), page)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["encrypt", "decrypt"])
    parser.add_argument("source")
    parser.add_argument("out")
    parser.add_argument("--password", required=True)
    parser.add_argument("--kind", choices=["standard", "rc4", "agile"])
    parser.add_argument("--key-bits", type=int, default=128)
    parser.add_argument("--hash", default="SHA512")
    parser.add_argument("--spin-count", type=int, default=100000)
    parser.add_argument("--seed", default="vellumtide")
    args = parser.parse_args()

    data = bytearray(open(args.source, "rb").read())
    assert len(data) % PAGE == 0 and data[4:19] == b"Standard ACE DB"
    password = args.password[:255].encode("utf-16-le")
    header = data[:PAGE]
    if args.action == "decrypt":
        length = struct.unpack_from("<H", header, INFO_OFFSET)[0]
        cipher = decryptor(bytes(header[INFO_OFFSET + 2: INFO_OFFSET + 2 + length]), password)
        key = database_key(header)
        set_database_key(header, 0)
        header[INFO_OFFSET: INFO_OFFSET + 2 + length] = bytes(2 + length)
    else:
        assert database_key(header) == 0, "already encrypted"
        rnd = Random(args.seed)
        key = struct.unpack("<I", rnd.take(4))[0] | 1
        if args.kind == "standard":
            info, cipher = make_standard(password, rnd, args.key_bits)
        elif args.kind == "rc4":
            info, cipher = make_rc4(password, rnd, args.key_bits)
        else:
            info, cipher = make_agile(password, rnd, args.key_bits, args.hash, args.spin_count)
        assert not any(header[INFO_OFFSET: INFO_OFFSET + 2 + len(info)]), "the header holds data there"
        header[INFO_OFFSET: INFO_OFFSET + 2 + len(info)] = struct.pack("<H", len(info)) + info
        set_database_key(header, key)
    out = bytearray(header)
    for n in range(1, len(data) // PAGE):
        out += cipher(le32(key ^ n), bytes(data[n * PAGE: (n + 1) * PAGE]))
    open(args.out, "wb").write(out)


if __name__ == "__main__":
    main()
