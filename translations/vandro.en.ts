<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>MainDlg</name>
    <message numerus="yes">
        <source>%n more camera files are not listed: %1</source>
        <translation>
            <numerusform>%n more camera file is not listed: %1</numerusform>
            <numerusform>%n more camera files are not listed: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TesselView</name>
    <message numerus="yes">
        <source>%n of the %1 pictures could not be read or saved.
%2</source>
        <translation>
            <numerusform>%n of the %1 pictures could not be read or saved.
%2</numerusform>
            <numerusform>%n of the %1 pictures could not be read or saved.
%2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>progressEdit</name>
    <message numerus="yes">
        <source>%1 of %n files</source>
        <translation>
            <numerusform>%1 of %n file</numerusform>
            <numerusform>%1 of %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second(s) left</source>
        <translation>
            <numerusform>%n second left</numerusform>
            <numerusform>%n seconds left</numerusform>
        </translation>
    </message>
</context>
</TS>
