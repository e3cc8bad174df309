"""validate_files.py SCHEMA_DIR EXAMPLES_DIR: checks files against the site and parameters schemas as
an editor would, with Debian's python3-jsonschema. The examples (each by the schema its "$schema"
names) and files like those the tests write pass; wrong files are refused at the field that is wrong."""
import json
import pathlib
import sys

from jsonschema import Draft202012Validator, FormatChecker, RefResolver

SCHEMA_DIR, EXAMPLES_DIR = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
SITE, PARAMETERS = "parvex-site.schema.json", "parvex-parameters.schema.json"


def validator(name):
    schema = json.loads((SCHEMA_DIR / name).read_text(encoding="utf-8"))
    Draft202012Validator.check_schema(schema)
    # The site schema names the parameters schema by a path relative to its own.
    return Draft202012Validator(schema, resolver=RefResolver((SCHEMA_DIR / name).as_uri(), schema),
                                format_checker=FormatChecker())


VALIDATORS = {name: validator(name) for name in (SITE, PARAMETERS)}
ROWS = [""] * 10
PLAN = {"mode": 1, "cardType": 1, "sector": 5, "abonementTimeout": 1, "relayTime": 1, "currentDate": "2000-01-01",
        "endDate": "2000-01-01", "rechargeUnits": 1, "blackList": ROWS}  # the site tests' plan
REPORT = {"address": 5, "cashDeskNumber": "0000012A", "mode": {"value": 3, "name": "Пополнение"},
          "cardType": {"value": 2, "name": "Абонемент"}, "rechargeUnits": 10, "currentDate": "2009-12-31",
          "endDate": "2255-12-31", "sector": 4, "abonementTimeout": 30, "relayTime": 3,
          "blackList": ["0012AB9F"] + ["00000000"] * 8 + ["FFFFFFFF"]}  # read --json


def site(*lines):
    return {"site": "x", "lines": [dict({"port": "/dev/ttyUSB0", "readers": []}, **line) for line in lines]}


def reader(parameters, **fields):
    return dict({"address": 1, "parameters": parameters}, **fields)


VALID = [
    (PARAMETERS, PLAN), (PARAMETERS, REPORT),
    (PARAMETERS, dict(REPORT, address=None, currentDate="today", sector=None)),  # saved as a plan, a value not read
    (PARAMETERS, {"mode": "Пополнение", "cardType": {"name": "Пополняемая"}, "blackList": ROWS[1:] + ["abcdef01"]}),
    (SITE, site({"readers": [reader("turnstile.json"), reader(dict(PLAN, sector=1), address=2, serial="0bad")]},
                {"port": "rfc2217://gateway-2:2001", "baud": 19200, "dataBits": 7, "parity": "even", "stopBits": 2},
                {"port": "COM1", "dataBits": "5", "parity": "MARK", "stopBits": "1.5"})),
    (SITE, {"$schema": SITE, **site({"baud": 57600, "dataBits": 6, "parity": "Space", "stopBits": 1.5,  # a snapshot
                                     "readers": [reader({"$schema": PARAMETERS, "currentDate": "today"}, serial="BEEF")]})}),
]
INVALID = [  # each with the place of the error that refuses it
    (PARAMETERS, {"mode": 2, "sectr": 1}, []), (PARAMETERS, {"sector": 16}, ["sector"]),
    (PARAMETERS, {"relayTime": 2.5}, ["relayTime"]), (PARAMETERS, {"endDate": "2026-02-30"}, ["endDate"]),
    (PARAMETERS, {"currentDate": "2256-01-01"}, ["currentDate"]), (PARAMETERS, {"endDate": "today"}, ["endDate"]),
    (PARAMETERS, {"mode": "Лифт"}, ["mode"]), (PARAMETERS, {"cardType": {"name": None}}, ["cardType"]),
    (PARAMETERS, {"blackList": ROWS[1:] + ["12AB"]}, ["blackList", 9]), (PARAMETERS, {"$schema": 5}, ["$schema"]),
    (SITE, site({"baudrate": 9600}), ["lines", 0]), (SITE, {"site": "x", "lines": [{"port": "COM1"}]}, ["lines", 0]),
    (SITE, site({"parity": "Strange"}), ["lines", 0, "parity"]),
    (SITE, site({"readers": [reader("a.json", address=255)]}), ["lines", 0, "readers", 0, "address"]),
    (SITE, site({"readers": [reader("a.json", serial="7F")]}), ["lines", 0, "readers", 0, "serial"]),
    (SITE, site({"readers": [reader({"sector": 16})]}), ["lines", 0, "readers", 0, "parameters"]),
]


def main():
    examples = [json.loads(path.read_text(encoding="utf-8")) for path in sorted(EXAMPLES_DIR.glob("*.json"))]
    failures = []
    for schema, document in [(pathlib.PurePosixPath(e.get("$schema", "")).name, e) for e in examples] + VALID:
        if schema not in VALIDATORS:
            failures.append(f"names no schema of {SCHEMA_DIR}:\n  {document}")
            continue
        failures += [f"refused at {list(e.absolute_path)}: {e.message}\n  {document}"
                     for e in VALIDATORS[schema].iter_errors(document)]
    for schema, document, place in INVALID:
        places = [list(e.absolute_path) for e in VALIDATORS[schema].iter_errors(document)]
        if place not in places:
            failures.append(f"not refused at {place} (refused at {places}):\n  {document}")
    print("\n".join(failures) or f"{len(examples) + len(VALID)} files valid, {len(INVALID)} refused where wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
