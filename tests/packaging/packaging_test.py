#!/usr/bin/env python3
"""Checks of what the package ships: the desktop files, the category texts and icons, the
chime, and the installed tree. Run by ctest, one class per test:

    packaging_test.py CLASS   with SWEEPWELL_SOURCE_DIR, SWEEPWELL_BUILD_DIR, SWEEPWELL_RCC
                              and SWEEPWELL_CMAKE in the environment
"""

import ctypes
import ctypes.util
import json
import math
import os
import plistlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import wave
import xml.etree.ElementTree as ElementTree
from pathlib import Path

SOURCE = Path(os.environ.get("SWEEPWELL_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ.get("SWEEPWELL_BUILD_DIR", SOURCE / "build"))
RESOURCES = SOURCE / "resources"
APP_ID = "org.sweepwell.Sweepwell"
DESKTOP_ENTRY = RESOURCES / "linux" / f"{APP_ID}.desktop"
METAINFO = RESOURCES / "linux" / f"{APP_ID}.metainfo.xml"
APP_ICON = RESOURCES / "linux" / f"{APP_ID}.svg"
TOOLTIPS = RESOURCES / "results" / "Tooltips.plist"
DEFAULT_SELECTION = RESOURCES / "results" / "Default-Selected-Items.plist"
SOUND = RESOURCES / "sounds" / "notification.wav"
SOUND_SCRIPT = SOURCE / "scripts" / "make-notification-sound"

# A category names its key either in key() or in a kKey constant that key() returns.
KEY_PATTERN = re.compile(
    r'(?:key\(\) const override \{ return|kKey =) QStringLiteral\("([^"]+)"\)')
DESELECTED_PATTERN = re.compile(r"selectedByDefault\(\) const override \{ return false; \}")


def category_headers():
    """Each category's key and whether its header deselects the files it finds."""
    categories = {}
    for header in sorted((SOURCE / "engine" / "categories").glob("*.h")):
        text = header.read_text()
        for key in KEY_PATTERN.findall(text):
            categories[key] = bool(DESELECTED_PATTERN.search(text))
    return categories


def require_program(name):
    path = shutil.which(name)
    if not path:
        raise unittest.SkipTest(f"{name} is not installed")
    return path


def run(arguments, **options):
    return subprocess.run(arguments, capture_output=True, text=True, timeout=120, **options)


def desktop_entry():
    values = {}
    for line in DESKTOP_ENTRY.read_text().splitlines():
        if "=" in line and not line.startswith("#"):
            name, value = line.split("=", 1)
            values[name] = value
    return values


class DesktopEntryTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.validator = require_program("desktop-file-validate")

    def test_entry_is_valid_without_warnings(self):
        result = run([self.validator, str(DESKTOP_ENTRY)])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotIn("warning:", result.stdout + result.stderr)

    def test_entry_starts_the_program_with_the_installed_icon(self):
        entry = desktop_entry()
        self.assertEqual(entry["Exec"].split()[0], "sweepwell")
        self.assertEqual(entry["Icon"], APP_ICON.stem)
        self.assertEqual(entry["Name"], "Sweepwell")


class MetainfoTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.validator = require_program("appstreamcli")

    def test_metainfo_is_valid_without_warnings(self):
        result = run([self.validator, "validate", "--no-net", str(METAINFO)])
        output = result.stdout + result.stderr
        self.assertEqual(result.returncode, 0, output)
        # Pedantic notes ("P:") and information ("I:") are allowed; warnings and errors not.
        self.assertIsNone(re.search(r"^[WE]:", output, re.MULTILINE), output)

    def test_metainfo_launches_the_desktop_entry(self):
        root = ElementTree.parse(METAINFO).getroot()
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.findtext("launchable"), DESKTOP_ENTRY.name)
        self.assertEqual(root.find("launchable").get("type"), "desktop-id")


class CategoryResourcesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.categories = category_headers()
        with TOOLTIPS.open("rb") as file:
            cls.tooltips = plistlib.load(file)
        with DEFAULT_SELECTION.open("rb") as file:
            cls.selection = plistlib.load(file)

    def test_headers_name_the_categories(self):
        # A pattern that stopped matching would let every later check pass on nothing.
        self.assertGreaterEqual(len(self.categories), 20, self.categories)
        self.assertIn("actual-login-items", self.categories)

    def test_every_category_and_only_those_has_an_explanation(self):
        self.assertEqual(set(self.tooltips), set(self.categories))
        for key, text in self.tooltips.items():
            self.assertIsInstance(text, str, key)
            self.assertTrue(text.strip(), key)

    def test_default_selection_names_known_categories_with_booleans(self):
        self.assertLessEqual(set(self.selection), set(self.categories))
        for key, entry in self.selection.items():
            self.assertIsInstance(entry, dict, key)
            self.assertLessEqual(set(entry), {"details-selected"}, key)
            self.assertIsInstance(entry.get("details-selected", False), bool, key)

    def test_bulk_selection_never_overrides_a_deselecting_category(self):
        # Ticking a login item switches it on, and a category that leaves its files unticked
        # by default does so because they may be wanted: neither is ticked as a whole.
        for key, deselects in self.categories.items():
            bulk = self.selection.get(key, {}).get("details-selected", False)
            if key == "actual-login-items" or deselects:
                self.assertFalse(bulk, key)

    def test_libplist_reads_both_lists_as_plistlib_does(self):
        name = ctypes.util.find_library("plist-2.0") or ctypes.util.find_library("plist")
        self.assertIsNotNone(name, "libplist is not installed")
        library = ctypes.CDLL(name)
        library.plist_from_xml.argtypes = [ctypes.c_char_p, ctypes.c_uint32,
                                           ctypes.POINTER(ctypes.c_void_p)]
        library.plist_get_node_type.argtypes = [ctypes.c_void_p]
        library.plist_dict_get_size.argtypes = [ctypes.c_void_p]
        library.plist_dict_get_size.restype = ctypes.c_uint32
        library.plist_free.argtypes = [ctypes.c_void_p]
        plist_dict = 5
        for path, parsed in ((TOOLTIPS, self.tooltips), (DEFAULT_SELECTION, self.selection)):
            data = path.read_bytes()
            root = ctypes.c_void_p()
            library.plist_from_xml(data, len(data), ctypes.byref(root))
            self.assertTrue(root.value, path.name)
            try:
                self.assertEqual(library.plist_get_node_type(root), plist_dict, path.name)
                self.assertEqual(library.plist_dict_get_size(root), len(parsed), path.name)
            finally:
                library.plist_free(root)

    def test_every_category_has_a_square_icon(self):
        for key in self.categories:
            icon = RESOURCES / "results" / "icons" / f"icon-{key}.svg"
            self.assertTrue(icon.is_file(), icon)
            root = ElementTree.parse(icon).getroot()
            self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg", icon)
            self.assertEqual(root.get("viewBox"), "0 0 24 24", icon)

    def resource_mapping(self, qrc):
        rcc = os.environ.get("SWEEPWELL_RCC")
        if not rcc:
            self.skipTest("SWEEPWELL_RCC names no resource compiler")
        result = run([rcc, "--list-mapping", str(qrc)])
        self.assertEqual(result.returncode, 0, result.stderr)
        mapping = dict(line.split("\t") for line in result.stdout.splitlines() if line)
        for resource, file in mapping.items():
            self.assertTrue(Path(file).is_file(), f"{resource}: {file}")
        return {resource: Path(file).resolve() for resource, file in mapping.items()}

    def test_results_resources_hold_the_texts_and_every_icon(self):
        mapping = self.resource_mapping(RESOURCES / "results" / "results.qrc")
        expected = {":/results/Tooltips.plist", ":/results/Default-Selected-Items.plist"}
        expected |= {f":/results/icon-{key}.svg" for key in self.categories}
        # The sort arrows of the detail table's headers.
        expected |= {":/results/icon-sort-asc.svg", ":/results/icon-sort-desc.svg"}
        self.assertEqual(set(mapping), expected)
        self.assertEqual(mapping[":/results/Tooltips.plist"], TOOLTIPS.resolve())

    def test_application_resources_hold_the_icon_and_the_chime(self):
        mapping = self.resource_mapping(RESOURCES / "app.qrc")
        self.assertEqual(mapping, {":/app/sweepwell.svg": APP_ICON.resolve(),
                                   ":/app/notification.wav": SOUND.resolve()})


def read_samples(path):
    with wave.open(str(path)) as sound:
        frames = sound.readframes(sound.getnframes())
    return struct.unpack(f"<{len(frames) // 2}h", frames)


class NotificationSoundTest(unittest.TestCase):
    def test_header_is_short_mono_16_bit_pcm_at_44100_hz(self):
        data = SOUND.read_bytes()
        self.assertEqual(data[0:4], b"RIFF")
        self.assertEqual(data[8:12], b"WAVE")
        self.assertEqual(data[12:16], b"fmt ")
        audio_format, channels, rate = struct.unpack("<HHI", data[20:28])
        bits = struct.unpack("<H", data[34:36])[0]
        self.assertEqual((audio_format, channels, rate, bits), (1, 1, 44100, 16))
        with wave.open(str(SOUND)) as sound:
            self.assertLess(sound.getnframes() / sound.getframerate(), 1.0)

    def test_chime_peaks_near_minus_6_dbfs_and_starts_and_ends_without_a_click(self):
        samples = read_samples(SOUND)
        peak = max(abs(s) for s in samples)
        self.assertAlmostEqual(20 * math.log10(peak / 32768), -6.0, delta=0.5)
        self.assertLess(abs(samples[0]), peak / 100)
        self.assertLess(abs(samples[-1]), peak / 100)

    def test_script_makes_the_committed_chime(self):
        with tempfile.TemporaryDirectory() as folder:
            made = Path(folder) / "notification.wav"
            result = run([sys.executable, str(SOUND_SCRIPT), str(made)])
            self.assertEqual(result.returncode, 0, result.stderr)
            ours, committed = read_samples(made), read_samples(SOUND)
        self.assertEqual(len(ours), len(committed))
        # Another maths library may round a sample the other way, never further.
        self.assertLessEqual(max(abs(a - b) for a, b in zip(ours, committed)), 1)


class InstalledTreeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.prefix = Path(cls.folder.name) / "usr"
        cmake = os.environ.get("SWEEPWELL_CMAKE", "cmake")
        result = run([cmake, "--install", str(BUILD), "--prefix", str(cls.prefix)])
        if result.returncode != 0:
            cls.folder.cleanup()
            raise AssertionError(result.stdout + result.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_tree_holds_the_programs_and_the_desktop_files(self):
        for program in ("bin/sweepwell-cli", "libexec/sweepwell-mdsearch",
                        "libexec/sweepwell/sweepwell-removal-helper"):
            self.assertTrue(os.access(self.prefix / program, os.X_OK), program)
        for shared in (f"share/applications/{APP_ID}.desktop",
                       f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                       f"share/metainfo/{APP_ID}.metainfo.xml",
                       "share/doc/sweepwell/copyright",
                       f"share/polkit-1/actions/{APP_ID}.remove.policy"):
            self.assertTrue((self.prefix / shared).is_file(), shared)

    def test_removal_action_asks_for_an_administrator_and_names_the_installed_helper(self):
        policy = self.prefix / f"share/polkit-1/actions/{APP_ID}.remove.policy"
        [action] = ElementTree.parse(policy).getroot().findall("action")
        self.assertEqual(action.get("id"), f"{APP_ID}.remove")
        defaults = {d.tag: d.text for d in action.find("defaults")}
        self.assertEqual(defaults["allow_any"], "auth_admin")
        self.assertEqual(defaults["allow_inactive"], "auth_admin")
        self.assertIn(defaults["allow_active"], ("auth_admin", "auth_admin_keep"))
        annotations = {a.get("key"): a.text for a in action.findall("annotate")}
        # pkexec compares the program it runs with this path: it must be where the
        # configured install puts the helper, the path the application runs.
        cache = (BUILD / "CMakeCache.txt").read_text()
        prefix = re.search(r"^CMAKE_INSTALL_PREFIX:PATH=(.*)$", cache, re.M).group(1)
        self.assertEqual(annotations["org.freedesktop.policykit.exec.path"],
                         f"{prefix}/libexec/sweepwell/sweepwell-removal-helper")

    def test_installed_command_finds_the_installed_search_tool(self):
        if Path("/usr/bin/mdfind").exists():
            self.skipTest("the system's own search runs instead of ours")
        home = Path(self.folder.name) / "home"
        (home / "Pictures").mkdir(parents=True)
        (home / "Pictures" / "Screenshot from 2024-05-01 10-11-12.png").write_bytes(b"x")
        # Nothing of the build tree on the path or in the environment: the program must
        # find the tool from where it was installed.
        environment = {"PATH": "/usr/bin:/bin", "HOME": str(home),
                       "XDG_CACHE_HOME": str(home / ".cache"),
                       "XDG_CONFIG_HOME": str(home / ".config"),
                       "XDG_STATE_HOME": str(home / ".local/state")}
        result = run([str(self.prefix / "bin/sweepwell-cli"), "scan", "--home", str(home),
                      "--category", "screenshots", "--json"], env=environment)
        self.assertEqual(result.returncode, 0, result.stderr)
        [category] = json.loads(result.stdout)["categories"]
        self.assertIsNone(category["failure"])
        self.assertEqual([file["fileName"] for file in category["files"]],
                         ["Screenshot from 2024-05-01 10-11-12.png"])


if __name__ == "__main__":
    unittest.main()
