# Reads an exported .docx (python-docx) or .xlsx (openpyxl) and prints what the tests check,
# as JSON: an independent reading of our files.
import json
import sys

kind, path = sys.argv[1], sys.argv[2]
if kind == "docx":
    import docx

    d = docx.Document(path)
    s = d.sections[0]
    pages = [0]
    tabs, runs, text = [], [], []
    for p in d.paragraphs:
        if p.paragraph_format.page_break_before or p._p.xpath('.//w:br[@w:type="page"]'):
            pages.append(0)
        pages[-1] += 1
        text.append(p.text)
        stops = [(str(t.alignment), round(t.position.pt, 2)) for t in p.paragraph_format.tab_stops]
        if stops and len(tabs) < 20:
            tabs.append(stops)
        for r in p.runs:
            if r.text.strip():
                runs.append([r.text, r.font.name, r.font.size.pt if r.font.size else None, bool(r.font.bold)])
    print(json.dumps({"width": s.page_width.pt, "height": s.page_height.pt, "top": s.top_margin.pt,
                      "left": s.left_margin.pt, "pages": pages, "text": "\n".join(text), "tabs": tabs,
                      "runs": runs, "rule": str(d.paragraphs[0].paragraph_format.line_spacing_rule)}))
else:
    import openpyxl

    ws = openpyxl.load_workbook(path).active
    cells = []
    for row in ws.iter_rows():
        for c in row:
            if c.value is not None:
                cells.append([c.coordinate, c.value if isinstance(c.value, (int, float)) else str(c.value),
                              c.data_type, c.number_format, c.font.name, c.font.sz, bool(c.font.b)])
    print(json.dumps({"cells": cells}))
