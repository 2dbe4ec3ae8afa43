"""JSON text in the layout of jsoncpp's StyledWriter, the program's own
writer, so that a file these scripts make differs from the program's
rewrite of it only where a value changed. Shared by the scripts in tools/.
"""

import json


# ---------------------------------------------------------------------------
# A writer with the layout of jsoncpp's StyledWriter.
# ---------------------------------------------------------------------------
RIGHT_MARGIN = 74
INDENT = "   "


def scalar_text(value):
    if value is True:
        return "true"
    if value is False:
        return "false"
    if value is None:
        return "null"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, str):
        return json.dumps(value, ensure_ascii=False)
    raise TypeError("unsupported value %r" % (value,))


def styled(value):
    out = []

    def write_indent(level):
        if out:
            last = out[-1][-1:] if out[-1] else ""
            if last == " ":
                return
            if last != "\n":
                out.append("\n")
        out.append(INDENT * level)

    def write_value(v, level):
        if isinstance(v, dict):
            if not v:
                out.append("{}")
                return
            write_indent(level)
            out.append("{")
            keys = sorted(v.keys(), key=lambda k: k.encode("utf-8"))
            for i, k in enumerate(keys):
                write_indent(level + 1)
                out.append(scalar_text(k))
                out.append(" : ")
                write_value(v[k], level + 1)
                if i + 1 < len(keys):
                    out.append(",")
            write_indent(level)
            out.append("}")
        elif isinstance(v, list):
            if not v:
                out.append("[]")
                return
            multiline = len(v) * 3 >= RIGHT_MARGIN or any(
                isinstance(c, (dict, list)) and c for c in v)
            if not multiline:
                texts = [scalar_text(c) if not isinstance(c, (dict, list))
                         else ("{}" if isinstance(c, dict) else "[]")
                         for c in v]
                length = 4 + (len(v) - 1) * 2 + sum(len(t) for t in texts)
                multiline = length >= RIGHT_MARGIN
            if multiline:
                write_indent(level)
                out.append("[")
                for i, c in enumerate(v):
                    write_indent(level + 1)
                    write_value(c, level + 1)
                    if i + 1 < len(v):
                        out.append(",")
                write_indent(level)
                out.append("]")
            else:
                out.append("[ " + ", ".join(texts) + " ]")
        else:
            out.append(scalar_text(v))

    write_value(value, 0)
    out.append("\n")
    return "".join(out)
