#!/usr/bin/env python3
"""The manual pages against the programs they describe.

    python3 tests/docs/manual_pages.py BUILD_DIR

For each program: every option that its --help lists (for veltrane-tool, the commands' --help
too) is in its manual page, and every option the page names is one that a --help lists; each
range ("0 to 45") and default that a help entry gives for an option is stated where the page
describes that option. The keys of the viewer's window are described alike, and as the keyboard
handler acts, in veltrane(1) and in the two launchers' help texts. Options are compared as a
set, so the check holds whatever options the programs gain, as long as help and page agree.
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--[a-z][a-z0-9-]*)")
RANGE = re.compile(r"(?<![\w.])(-?\d+(?:\.\d+)?) to (\d+(?:\.\d+)?)(?![\w.])")
HEADING = "#section "
DEFAULT = re.compile(r"default:? (-?\d+(?:\.\d+)?)")

# What each key of the window does (app/input.cpp: "x" takes 5 degrees off the light's step of
# 8, so the second press reverses it; "z" adds 5): words each description must hold.
KEYS = {
    "a": [r"paus", r"resum"],
    "x": [r"slow", r"(other way|revers)"],
    "z": [r"(speeds?|faster)"],
    "p": [r"frames per second"],
    "q": [r"quit"],
}

failures = []


def fail(text):
    failures.append(text)


def roff_text(source):
    """A manual page's source as paragraphs of plain text: a new paragraph at each .TP, .PP,
    .SH, .SS, .RS and .RE; font escapes and macro names dropped."""
    paragraphs, current = [], []
    for line in source.splitlines():
        line = line.replace("\\-", "-").replace("\\(lq", '"').replace("\\(rq", '"')
        line = re.sub(r"\\f[BIRP]", "", line).replace("\\ ", " ").replace("\\&", "")
        if line.startswith(("." "\\\"", "'\\\"")):
            continue
        macro = re.match(r"^\.([A-Za-z]+)\s*(.*)$", line)
        if macro:
            name, rest = macro.groups()
            if name in ("TP", "PP", "SH", "SS", "RS", "RE", "LP", "P"):
                if current:
                    paragraphs.append(" ".join(current))
                current = []
                if name in ("SH", "SS"):
                    paragraphs.append(HEADING + rest.strip('"'))
                continue
            # .B, .I, .BR, .IR ...: the words, quotes removed, alternating fonts joined.
            words = re.findall(r'"([^"]*)"|(\S+)', rest)
            joined = "".join(a or b for a, b in words) if len(name) == 2 else " ".join(a or b for a, b in words)
            current.append(joined)
        else:
            current.append(line)
    if current:
        paragraphs.append(" ".join(current))
    return paragraphs


def help_text(command):
    run = subprocess.run(command, capture_output=True, text=True, timeout=60, env=dict(os.environ, DISPLAY=""))
    if run.returncode != 0:
        fail(f"{' '.join(command)}: status {run.returncode}: {run.stderr.strip()}")
    if run.stderr:
        fail(f"{' '.join(command)} wrote to standard error: {run.stderr.strip()}")
    return run.stdout


def help_entries(text):
    """Option entries of a help text: option -> its text with continuation lines."""
    entries, name = {}, None
    for line in text.splitlines():
        start = re.match(r"^\s{2,}(?:-h, )?(--[a-z][a-z0-9-]*)(?:,\s*--[a-z-]+)?\b(.*)$", line)
        if start:
            name = start.group(1)
            entries[name] = entries.get(name, "") + " " + start.group(2)
        elif name and re.match(r"^\s{6,}\S", line):
            entries[name] += " " + line.strip()
        else:
            name = None
    return entries


def scoped(paragraphs, command, commands):
    """The paragraphs that describe one command of veltrane-tool: from the one that starts with
    its name to the next command's or the next section."""
    taken, inside = [], False
    for p in paragraphs:
        starts = p.split(" ", 1)[0]
        if p.startswith(HEADING) or (starts in commands and starts != command):
            inside = False
        if starts == command:
            inside = True
        if inside:
            taken.append(p)
    return taken


def check_program(page_name, page_path, helps, commands=()):
    """helps: help texts, or (command, help text) pairs whose limits are looked for in that
    command's part of the page."""
    with open(page_path, encoding="utf-8") as f:
        paragraphs = roff_text(f.read())
    page = " ".join(p for p in paragraphs if not p.startswith(HEADING))
    helped = set()
    helps = [h if isinstance(h, tuple) else (None, h) for h in helps]
    for _, text in helps:
        helped |= set(OPTION.findall(text))
    paged = set(OPTION.findall(page))
    for option in sorted(helped - paged):
        fail(f"{page_name}(1) does not describe {option}, which --help lists")
    for option in sorted(paged - helped):
        fail(f"{page_name}(1) names {option}, which no --help of the program lists")
    for command, text in helps:
        own = scoped(paragraphs, command, commands) if command else paragraphs
        for option, entry in help_entries(text).items():
            where = [p for p in own if option in OPTION.findall(p)]
            said = " ".join(where)
            for low, high in RANGE.findall(entry):
                if f"{low} to {high}" not in said:
                    fail(f"{page_name}(1): {option} is {low} to {high} in --help, not so in the page")
            for value in DEFAULT.findall(entry):
                if not re.search(r"(?<![\w.])" + re.escape(value) + r"(?![\w.])", said):
                    fail(f"{page_name}(1): {option} defaults to {value} in --help, not so in the page")
    return paragraphs


def key_sentences(text, key):
    """The clauses of a text that describe a key: from the key to the next ';' or '.'"""
    found = []
    for match in re.finditer(r"(?<![\w-])" + re.escape(key) + r"(?![\w-])", text):
        found.append(re.split(r"[;.]|\band\b [a-z] ", text[match.end():])[0])
    return found


def check_keys(where, text, keys_paragraphs=None):
    for key, words in KEYS.items():
        if keys_paragraphs is not None:
            entries = [p[len(key):] for p in keys_paragraphs if re.match(re.escape(key) + r"(,|\s|$)", p)]
            entries += [p for p in keys_paragraphs if re.match(r"[a-z], " + re.escape(key) + r"\b", p)]
        else:
            entries = key_sentences(text, key)
        if not any(all(re.search(w, e) for w in words) for e in entries):
            fail(f"{where}: the key {key} is not described as the window handles it ({', '.join(words)})")


def main():
    build = os.path.abspath(sys.argv[1])
    tool = os.path.join(build, "veltrane-tool")
    man = os.path.join(build, "man")

    tool_helps = [help_text([tool, "--help"])]
    commands = re.findall(r"^  ([a-z][a-z-]+) ", tool_helps[0], re.M)
    if len(commands) < 5:
        fail(f"veltrane-tool --help lists too few commands: {commands}")
    for command in commands:
        tool_helps.append((command, help_text([tool, command, "--help"])))
    tool_page = check_program("veltrane-tool", os.path.join(man, "veltrane-tool.1"), tool_helps, commands)
    page_text = " ".join(tool_page)
    for command in commands:
        if not re.search(r"(?<![\w-])" + re.escape(command) + r"(?![\w-])", page_text):
            fail(f"veltrane-tool(1) does not describe the command {command}")

    launcher_help = help_text([os.path.join(build, "launcher", "veltrane"), "--help"])
    viewer_page = check_program("veltrane", os.path.join(man, "veltrane.1"), [launcher_help])
    scene_help = help_text([os.path.join(build, "veltrane-scene"), "--help"])
    scene_page = check_program("veltrane-scene", os.path.join(man, "veltrane-scene.1"), [scene_help])
    headless = os.path.join(build, "veltrane-headless")
    if os.path.exists(headless):
        check_program("veltrane-headless", os.path.join(man, "veltrane-headless.1"), [help_text([headless, "--help"])])

    # The keys: the viewer's page lists each as an entry of its own.
    keys_section = []
    inside = False
    for p in viewer_page:
        if p.startswith(HEADING):
            inside = p == HEADING + "KEYS AND MOUSE"
        elif inside:
            keys_section.append(p.strip())
    if not keys_section:
        fail("veltrane(1) has no KEYS AND MOUSE section")
    check_keys("veltrane(1)", "", keys_section)
    check_keys("veltrane --help", " ".join(launcher_help.split()))
    check_keys("veltrane-scene --help", " ".join(scene_help.split()))
    scene_keys = " ".join(p for p in scene_page if "pauses" in p)
    check_keys("veltrane-scene(1)", scene_keys)

    # Every page points to the others.
    pages = ["veltrane", "veltrane-tool", "veltrane-scene"] + (["veltrane-headless"] if os.path.exists(headless) else [])
    for page in pages:
        with open(os.path.join(man, page + ".1"), encoding="utf-8") as f:
            source = f.read()
        see_also = source.split(".SH SEE ALSO", 1)[-1]
        for other in pages:
            if other != page and f".BR {other} (1)" not in see_also:
                fail(f"{page}(1): SEE ALSO lacks {other}(1)")

    for text in failures:
        print("FAIL:", text)
    if failures:
        return 1
    print(f"manual_pages: {len(pages)} pages agree with their programs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
