#!/usr/bin/python3
"""Python's ftplib on the layer benchmark's task: one login, one listing, then
every file of a folder read in turn. Prints "files <seconds> s <count>".

usage: ftplib_files.py host port user password folder
"""
import ftplib
import sys
import time


def main():
    host, port, user, password, folder = sys.argv[1:6]
    start = time.perf_counter()
    ftp = ftplib.FTP()
    ftp.connect(host, int(port))
    ftp.login(user, password)
    ftp.cwd(folder)
    names = ftp.nlst()
    for name in names:
        ftp.retrbinary("RETR " + name, lambda block: None, 5120)
    ftp.quit()
    print("files %.3f s %d" % (time.perf_counter() - start, len(names)))


if __name__ == "__main__":
    main()
