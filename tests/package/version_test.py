"""Each program in the zip carries the project's version in its version
resource, the details Windows shows in the file's properties, and no time
stamp in its header, and sits in the folder of its kind (x64 for 64-bit, x86
for 32-bit).

Run as: version_test.py ZIP VERSION
"""
import struct
import sys
import unittest
import zipfile

ZIP, VERSION = sys.argv[1:3]
MACHINES = {"x64": 0x8664, "x86": 0x14C}
RESOURCE_TABLE = 2   # the data directory entry of the resources
VERSION_TYPE = 16    # RT_VERSION
FIXED_INFO_SIGNATURE = 0xFEEF04BD


class PortableExecutable:
    """The few parts of a PE file that the checks read."""

    def __init__(self, data):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, self.time_stamp, _, _, optional_size = struct.unpack_from(
            "<HHIIIH", data, header + 4)
        optional = header + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resources = struct.unpack_from("<I", data, directories + 8 * RESOURCE_TABLE)[0]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, address):
        for virtual_size, virtual_address, raw_size, raw_offset in self.sections:
            if virtual_address <= address < virtual_address + max(virtual_size, raw_size):
                return raw_offset + address - virtual_address
        raise ValueError("address %#x lies in no section" % address)

    def first_resource(self, kind):
        """The bytes of the first resource of a type (any name, any language)."""
        root = self.offset(self.resources)
        entry = self.directory_entry(root, root, kind)
        name = self.directory_entry(root, root + (entry & 0x7FFFFFFF), None)
        language = self.directory_entry(root, root + (name & 0x7FFFFFFF), None)
        address, size = struct.unpack_from("<II", self.data, root + language)
        return self.data[self.offset(address):self.offset(address) + size]

    def directory_entry(self, root, directory, wanted):
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if wanted is None or key == wanted:
                return target
        raise ValueError("no resource entry %s" % wanted)


def version_nodes(data, start=0):
    """VS_VERSIONINFO and its children as (key, value bytes, text value, children)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, start)
    end = data.index(b"\0\0", start + 6)
    while (end - start) % 2:
        end = data.index(b"\0\0", end + 1)
    key = data[start + 6:end].decode("utf-16-le")
    value_start = (end + 2 + 3) & ~3
    value_bytes = value_length * 2 if is_text else value_length
    value = data[value_start:value_start + value_bytes]
    children, child = [], (value_start + value_bytes + 3) & ~3
    while child < start + length:
        node = version_nodes(data, child)
        children.append(node)
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    text = value.decode("utf-16-le").rstrip("\0") if is_text else None
    return key, value, text, children


def version_strings(resource):
    key, fixed, _, children = version_nodes(resource)
    signature, _, file_ms, file_ls = struct.unpack_from("<IIII", fixed)
    strings = {}
    for child in children:
        if child[0] == "StringFileInfo":
            for table in child[3]:
                strings.update((name, text) for name, _, text, _ in table[3])
    return key, signature, (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF), strings


class VersionResources(unittest.TestCase):
    def test_every_program_carries_the_version_and_no_time_and_matches_its_folder(self):
        with zipfile.ZipFile(ZIP) as archive:
            programs = [name for name in archive.namelist() if name.endswith(".exe")]
            self.assertEqual(sorted(programs), ["x64/lum.exe", "x64/lumcheck.exe",
                                                "x86/lum.exe", "x86/lumcheck.exe"])
            for name in programs:
                with self.subTest(name):
                    program = PortableExecutable(archive.read(name))
                    self.assertEqual(program.machine, MACHINES[name.split("/")[0]],
                                     "got machine %#x" % program.machine)
                    self.assertEqual(program.time_stamp, 0, "got a time stamp in the header, expected none")
                    key, signature, numbers, strings = version_strings(program.first_resource(VERSION_TYPE))
                    self.assertEqual((key, signature), ("VS_VERSION_INFO", FIXED_INFO_SIGNATURE))
                    expected = tuple(int(part) for part in VERSION.split(".")) + (0,)
                    self.assertEqual(numbers, expected)
                    self.assertEqual((strings.get("FileVersion"), strings.get("ProductVersion"),
                                      strings.get("ProductName")), (VERSION, VERSION, "lum"), strings)
                    self.assertTrue(strings.get("FileDescription"), strings)
                    self.assertTrue(strings.get("LegalCopyright", "").startswith("Copyright"), strings)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
