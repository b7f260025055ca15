#!/usr/bin/env python3
"""Compares the COM interfaces declared in a C++ header with reference
declarations: the slot order (inherited slots included) and the identifiers.

A swapped, missing or extra method would make Tessel call the wrong slot of a
foreign object, which no compiler notices.

Usage: check_com_vtables.py HEADER WINE_HEADER TEXT_LIST [--prefix-only NAME ...]
Interfaces named with --prefix-only may stop before the reference's last slot.
"""
import os
import re
import sys
from xml.sax.saxutils import escape

IUNKNOWN = ["QueryInterface", "AddRef", "Release"]


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def guid_text(parts):
    """Canonical lower-case text of a GUID given as its 11 numbers."""
    n = [int(p, 16) for p in parts]
    tail = "".join(f"{b:02x}" for b in n[5:])
    return f"{n[0]:08x}-{n[1]:04x}-{n[2]:04x}-{n[3]:02x}{n[4]:02x}-{tail}"


def parse_declared(path):
    """Own methods, base and identifier of every interface in our header."""
    text = strip_comments(open(path, encoding="utf-8").read())
    interfaces = {}
    for m in re.finditer(r"struct\s+(\w+)\s*:\s*public\s+(\w+)\s*\{(.*?)\n\};", text, re.S):
        methods = re.findall(r"virtual\s+\w+\s+STDMETHODCALLTYPE\s+(\w+)\s*\(", m.group(3))
        interfaces[m.group(1)] = {"base": m.group(2), "own": methods}
    ids = {}
    for m in re.finditer(r"k(Iid|Clsid)(\w+)\s*=\s*\{([^;]*)\};", text):
        ids[("IID_" if m.group(1) == "Iid" else "CLSID_") + m.group(2)] = guid_text(re.findall(r"0x([0-9a-fA-F]+)", m.group(3)))
    return interfaces, ids


def full_slots(interfaces, name):
    """All slots of an interface, inherited ones first."""
    if name == "IUnknown":
        return list(IUNKNOWN)
    entry = interfaces[name]
    return full_slots(interfaces, entry["base"]) + entry["own"]


def parse_wine(path):
    """Slot lists (already complete) and identifiers from Wine's header."""
    text = open(path, encoding="utf-8").read()
    slots = {}
    for m in re.finditer(r"typedef struct (\w+)Vtbl \{(.*?)\} \1Vtbl;", text, re.S):
        slots[m.group(1)] = re.findall(r"\(STDMETHODCALLTYPE \*(\w+)\)", m.group(2))
    ids = {}
    for m in re.finditer(r"DEFINE_GUID\((\w+),([^)]*)\)", text):
        ids[m.group(1)] = guid_text(re.findall(r"0x([0-9a-fA-F]+)", m.group(2)))
    return slots, ids


def parse_text_list(path):
    """Slot lists and identifiers from the text-interface list."""
    text = open(path, encoding="utf-8").read()
    bases, ids, own = {}, {}, {}
    for m in re.finditer(r"^\|\s*(IUIAutomation\w+)\s*\|\s*([0-9a-fA-F-]{36})\s*\|\s*(\w+)\s*\|", text, re.M):
        bases[m.group(1)] = m.group(3)
        ids["IID_" + m.group(1)] = m.group(2).lower()
    current = None
    for line in text.splitlines():
        head = re.match(r"^(IUIAutomation\w+)(?:, in order| adds, after [^:]*):", line)
        if head:
            current = head.group(1)
            own[current] = []
            continue
        item = re.match(r"^(\d+)\.\s+(\w+)\(", line)
        if item and current:
            own[current].append((int(item.group(1)), item.group(2)))
        elif line.strip() and not item:
            current = None

    def slots(name):
        if name == "IUnknown":
            return list(IUNKNOWN)
        inherited = slots(bases[name])
        numbers = [n for n, _ in own[name]]
        # The numbering of a derived list goes on after its base's own slots.
        if numbers != list(range(len(inherited) - 2, len(inherited) - 2 + len(numbers))):
            raise ValueError(f"{name}: unexpected numbering {numbers} in {path}")
        return inherited + [m for _, m in own[name]]

    return {name: slots(name) for name in bases}, ids, bases


def main(argv):
    prefix_only = set()
    args = []
    i = 0
    while i < len(argv):
        if argv[i] == "--prefix-only":
            prefix_only.add(argv[i + 1])
            i += 2
        else:
            args.append(argv[i])
            i += 1
    header, wine_header, text_list = args
    declared, declared_ids = parse_declared(header)
    wine_slots, wine_ids = parse_wine(wine_header)
    text_slots, text_ids, text_bases = parse_text_list(text_list)

    errors = []
    for name, entry in declared.items():
        if name in text_slots:
            reference, source = text_slots[name], text_list
            if entry["base"] != text_bases[name]:
                errors.append(f"{name} derives from {entry['base']}, the list says {text_bases[name]}")
        elif name in wine_slots:
            reference, source = wine_slots[name], wine_header
        else:
            errors.append(f"{name}: no reference declaration to check against")
            continue
        mine = full_slots(declared, name)
        if name in prefix_only:
            ok = 0 < len(mine) <= len(reference) and reference[: len(mine)] == mine
        else:
            ok = mine == reference
        if not ok:
            for slot, (a, b) in enumerate(zip(mine + ["<none>"] * len(reference), reference + ["<none>"] * len(mine))):
                if a != b:
                    errors.append(f"{name} slot {slot}: declared {a}, {source} has {b}")
                    break
    for key, value in declared_ids.items():
        reference = text_ids.get(key) or wine_ids.get(key)
        if reference is None:
            errors.append(f"{key}: no reference identifier")
        elif reference != value:
            errors.append(f"{key}: declared {value}, reference {reference}")
    for name in declared:
        if "IID_" + name not in declared_ids:
            errors.append(f"{name}: no identifier declared")

    if not declared:
        errors.append(f"no interface found in {header}")
    for e in errors:
        print(e)
    print(f"{len(declared)} interfaces, {len(declared_ids)} identifiers checked: {'FAILED' if errors else 'ok'}")
    write_report(errors)
    return 1 if errors else 0


def write_report(errors):
    """A GoogleTest-style report when GTEST_OUTPUT names a folder, so that the
    test summary counts this check like the others."""
    target = os.environ.get("GTEST_OUTPUT", "")
    if not target.startswith("xml:") or not target.endswith(("/", "\\")):
        return
    failures = "".join(f'<failure message="{escape(e, {chr(34): "&quot;"})}"/>' for e in errors)
    with open(os.path.join(target[4:], "tessel_com_vtables_tests.xml"), "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        f.write(f'<testsuites tests="1" failures="{1 if errors else 0}" disabled="0" errors="0" name="AllTests">\n')
        f.write(f'<testsuite name="ComVtables" tests="1" failures="{1 if errors else 0}" disabled="0" errors="0">\n')
        f.write(f'<testcase name="SlotOrderAndIdentifiers" classname="ComVtables">{failures}</testcase>\n')
        f.write("</testsuite>\n</testsuites>\n")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
