' A smoke test of kestrune.dll from VBScript: the object made by its ProgID and called late-bound,
' with literals (passed by value, small numbers as 16-bit integers) and variables (passed by
' reference), as a script or an add-in calls it; what members answer is the call tables'
' business. Prints its own "N passed, M failed" line.
Option Explicit

Dim passed, failed, kr, text, find, list
passed = 0
failed = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

Set kr = CreateObject("Kestrune.clsKestrune")
Check kr.krSEARCH("a-b-c", "-", , 2) = 4, "a small literal return type, an argument left out"
text = "abc"
find = "x"
Check kr.krSEARCH(text, find) = "#VALUE!", "variables passed by reference"
Check text = "abc", "a variable passed by reference keeps its text"

list = Array("a1b2c3", "a", "b")
Check kr.krEXTRACT(list) = "ab", "krEXTRACT with an array variable"

On Error Resume Next
text = kr.Reverse(Null)
Check Err.Number = 13, "Reverse(Null) fails with error 13 (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

WScript.Echo passed & " passed, " & failed & " failed"
