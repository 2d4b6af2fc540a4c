[playlist]
File1=a.mp3
Title1=A
file2=b.mp3
FILE3=file://localhost/tmp/x%2.mp3
NumberOfEntries=3
Version=2
