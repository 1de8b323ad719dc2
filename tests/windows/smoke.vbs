' A smoke test of kestrune.dll from VBScript: the object made by its ProgID and called late-bound,
' with literals (passed by value) and variables (passed by reference), as a script or an add-in
' calls it. Prints its own "N passed, M failed" line. With the argument "unregistered" it checks
' that the object can no longer be created.
Option Explicit

Dim passed, failed
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

Sub CheckUnregistered()
  Dim gone
  On Error Resume Next
  Set gone = CreateObject("Kestrune.clsKestrune")
  Check Err.Number = 429, "CreateObject fails with error 429 (got " & Err.Number & ")"
  On Error GoTo 0
End Sub

Sub CheckMembers()
  Dim kr, text, find, grid, list
  Set kr = CreateObject("Kestrune.clsKestrune")
  Check kr.krSEARCH("Order 42-A", "?-", , 3) = "2-", "krSEARCH with an argument left out"
  Check kr.krSEARCH("a-b-c", "-", , 2) = 4, "a small literal return type"
  text = "abc"
  find = "x"
  Check kr.krSEARCH(text, find) = "#VALUE!", "variables passed by reference"
  Check text = "abc", "a variable passed by reference keeps its text"

  grid = kr.krSEARCH("a-b-c", "-", , 18)
  Check LBound(grid, 1) = 1 And UBound(grid, 1) = 3, "a grid's rows run from 1 to 3"
  Check LBound(grid, 2) = 1 And UBound(grid, 2) = 3, "a grid's columns run from 1 to 3"
  Check grid(1, 2) = "b" And grid(2, 1) = "b" And IsEmpty(grid(2, 2)), "a grid's cells"

  Check kr.krEXCLUDE(Array("banana", "a")) = "bnn", "krEXCLUDE with an array"
  list = Array("a1b2c3", "a", "b")
  Check kr.krEXTRACT(list) = "ab", "krEXTRACT with an array variable"

  On Error Resume Next
  text = kr.Reverse(Null)
  Check Err.Number = 13, "Reverse(Null) fails with error 13 (got " & Err.Number & ")"
  Err.Clear
  On Error GoTo 0
End Sub

If WScript.Arguments.Count > 0 Then
  If WScript.Arguments(0) = "unregistered" Then CheckUnregistered
Else
  CheckMembers
End If
WScript.Echo passed & " passed, " & failed & " failed"
