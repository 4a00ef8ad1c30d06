[playlist]
NumberOfEntries=3
File1=http://a.example:8000/live
Title1=Live
Length1=-1
File2=http://b.example/2.mp3
File10=relative.aac
Version=2
