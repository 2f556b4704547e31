"""Trelvo: curve fitting for measured x/y data."""
