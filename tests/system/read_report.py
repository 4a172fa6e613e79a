"""Reads a report workbook and its template with openpyxl and prints, as
JSON, what the report tests compare: every cell's value, type and style,
and the sheet's merged cells, column widths, print titles and page setup.

    read_report.py TEMPLATE.xlsx REPORT.xlsx
"""
import json
import sys

import openpyxl


def style(cell):
    a = cell.alignment
    return {
        "font": [cell.font.b, cell.font.i, cell.font.sz, cell.font.name],
        "fill": [cell.fill.fill_type, cell.fill.fgColor.rgb if cell.fill.fgColor is not None else None],
        "border": [cell.border.left.style, cell.border.right.style,
                   cell.border.top.style, cell.border.bottom.style],
        "numberFormat": cell.number_format,
        "horizontal": a.horizontal,
        "vertical": a.vertical,
    }


def sheet(path):
    book = openpyxl.load_workbook(path)
    ws = book.worksheets[0]
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            cells[c.coordinate] = {
                "value": c.value,
                "type": c.data_type,
                "wrap": bool(c.alignment.wrap_text),
                "style": style(c),
            }
    return {
        "sheets": book.sheetnames,
        "cells": cells,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "widths": {k: v.width for k, v in sorted(ws.column_dimensions.items())},
        "printTitles": ws.print_title_rows,
        "paper": [ws.page_setup.paperSize, ws.page_setup.orientation,
                  ws.page_setup.fitToWidth, ws.page_setup.fitToHeight],
        "margins": [ws.page_margins.left, ws.page_margins.right,
                    ws.page_margins.top, ws.page_margins.bottom],
        "footer": ws.oddFooter.right.text,
    }


print(json.dumps({"template": sheet(sys.argv[1]), "report": sheet(sys.argv[2])},
                 ensure_ascii=False))
